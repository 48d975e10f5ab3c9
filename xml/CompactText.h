#pragma once
// An owning, growable byte string of 16 bytes that allocates nothing while empty: the
// text of a parsed element, kept small because a large response has millions of them.
#include "text/UString.h"

#include <cstdint>
#include <string_view>

class CompactText {
public:
    CompactText() noexcept = default;
    explicit CompactText(U8String text) { Append(text); }
    CompactText(const CompactText& other) : CompactText(other.View()) {}
    CompactText(CompactText&& other) noexcept
        : bytes_(other.bytes_), length_(other.length_), capacity_(other.capacity_)
    {
        other.bytes_ = nullptr;
        other.length_ = other.capacity_ = 0;
    }
    CompactText& operator=(CompactText other) noexcept
    {
        Swap(other);
        return *this;
    }
    ~CompactText() { delete[] bytes_; }

    // The first append allocates exactly; later ones grow geometrically.
    void Append(U8String text);
    void Clear() noexcept { length_ = 0; }

    U8String View() const noexcept { return {bytes_, bytes_ + length_}; }
    operator U8String() const noexcept { return View(); }
    std::string_view StringView() const noexcept { return {bytes_, length_}; }
    std::uint32_t Length() const noexcept { return length_; }
    bool Empty() const noexcept { return length_ == 0; }

    void Swap(CompactText& other) noexcept
    {
        std::swap(bytes_, other.bytes_);
        std::swap(length_, other.length_);
        std::swap(capacity_, other.capacity_);
    }

private:
    char* bytes_ = nullptr;
    std::uint32_t length_ = 0;
    std::uint32_t capacity_ = 0;
};
