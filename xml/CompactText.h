#pragma once
// A growable byte string of 16 bytes: up to 15 bytes live in place, longer texts on the
// heap or in a tree's arena. The text of a parsed element, kept small because a large
// response has millions of them and most of their texts are short.
//
// It is the project's small string for texts that come by the million: the element tree's,
// and the request's, which share its type. (A response's items are packed apart, in
// compliance/ComplianceItems.h.) It lives here because its borrowed form belongs to the tree's arena;
// CopiedUString (text/) is the string of everything else.
//
// A text in an arena is borrowed: the arena owns the bytes, the text never frees them,
// and whoever keeps the text keeps the arena. Copies of any text own their bytes.
#include "text/UString.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

class TreeArena;

class CompactText {
public:
    static constexpr std::uint32_t InlineCapacity = 15;

    CompactText() noexcept { SetInlineLength(0); }
    explicit CompactText(U8String text) : CompactText() { Append(text); }
    CompactText(const CompactText& other) : CompactText(other.View()) {}
    CompactText(CompactText&& other) noexcept
    {
        std::memcpy(raw_, other.raw_, sizeof raw_);
        other.SetInlineLength(0);
    }
    CompactText& operator=(CompactText other) noexcept
    {
        Swap(other);
        return *this;
    }
    ~CompactText()
    {
        if (!IsInline() && !IsBorrowed())
            delete[] heap_.bytes;
    }

    // A text that arrives whole is stored exactly; one that grows, geometrically. A
    // borrowed text that outgrows its room moves to the heap.
    void Append(U8String text);
    // The same, taking room from `arena`: in place while the text is the arena's latest
    // allocation, elsewhere in the arena otherwise. A text already on the heap stays there;
    // a borrowed one must be borrowed from this arena.
    void AppendIn(TreeArena& arena, U8String text);
    void Clear() noexcept;

    const char* Data() const noexcept { return IsInline() ? raw_ : heap_.bytes; }
    std::uint32_t Length() const noexcept { return IsInline() ? InlineLength() : heap_.length; }
    bool Empty() const noexcept { return Length() == 0; }
    bool IsInline() const noexcept { return (Tag() & 0x80) != 0; }
    bool IsBorrowed() const noexcept { return !IsInline() && (heap_.capacity & BorrowedFlag) != 0; }
    U8String View() const noexcept { return {Data(), Data() + Length()}; }
    operator U8String() const noexcept { return View(); }
    std::string_view StringView() const noexcept { return {Data(), Length()}; }

    void Swap(CompactText& other) noexcept
    {
        char scratch[sizeof raw_];
        std::memcpy(scratch, raw_, sizeof raw_);
        std::memcpy(raw_, other.raw_, sizeof raw_);
        std::memcpy(other.raw_, scratch, sizeof raw_);
    }

private:
    // On the heap the last byte is the top byte of a length below 2^31, so its top bit
    // is clear; in place it holds 0x80 plus the length. A borrowed text has the top bit
    // of its capacity set.
    static constexpr std::uint32_t BorrowedFlag = 0x80000000;
    static constexpr std::size_t MaxLength = 0x7FFFFFFF;
    struct Heap {
        // Eight bytes on every platform, so that the length's top byte is the last byte.
        union {
            char* bytes;
            std::uint64_t wide;
        };
        std::uint32_t capacity;
        std::uint32_t length;
    };
    static_assert(sizeof(Heap) == 16 && offsetof(Heap, length) == 12);
    void SetHeap(char* bytes, std::size_t capacity, std::size_t length) noexcept
    {
        heap_.wide = 0;
        heap_.bytes = bytes;
        heap_.capacity = static_cast<std::uint32_t>(capacity);
        heap_.length = static_cast<std::uint32_t>(length);
    }
    std::uint32_t Room() const noexcept { return heap_.capacity & ~BorrowedFlag; }
    // Appends in place when the text stays short enough; false otherwise.
    bool AppendInline(U8String text) noexcept;
    unsigned char Tag() const noexcept { return static_cast<unsigned char>(raw_[15]); }
    std::uint32_t InlineLength() const noexcept { return Tag() & 0x7F; }
    void SetInlineLength(std::uint32_t n) noexcept { raw_[15] = static_cast<char>(0x80 | n); }

    union {
        Heap heap_;
        char raw_[16];
    };
};
static_assert(sizeof(CompactText) == 16);
