#pragma once
// An owning string with room for 64 code units in place: short texts never touch the heap.
// It always owns its storage (there is no borrowed form: nothing ever lent it any).
#include "text/UString.h"

#include <cstdint>

template <class E>
class CopiedUString {
public:
    using Unit = typename E::Unit;
    static constexpr std::uint32_t InlineCapacity = 64;

    CopiedUString() noexcept;
    explicit CopiedUString(UString<E> text);
    CopiedUString(const CopiedUString& other);
    CopiedUString(CopiedUString&& other) noexcept;
    CopiedUString& operator=(const CopiedUString& other);
    CopiedUString& operator=(CopiedUString&& other) noexcept;
    ~CopiedUString();

    // Empty storage of the capacity a text of known length n gets: inline up to 64,
    // otherwise exactly n units on the heap.
    static CopiedUString WithCapacity(std::uint32_t n);

    void Append(UString<E> text);
    // Makes p the new end; throws std::out_of_range unless begin <= p <= begin + capacity.
    void SetEnd(Unit* p);

    operator UString<E>() const noexcept { return {begin_, end_}; }
    UString<E> View() const noexcept { return {begin_, end_}; }

    Unit* Begin() noexcept { return begin_; }
    const Unit* Begin() const noexcept { return begin_; }
    const Unit* End() const noexcept { return end_; }
    std::uint32_t Length() const noexcept { return static_cast<std::uint32_t>(end_ - begin_); }
    bool Empty() const noexcept { return end_ == begin_; }
    std::uint32_t Capacity() const noexcept { return capacity_; }
    bool IsInline() const noexcept { return begin_ == inline_; }
    std::basic_string_view<Unit> StringView() const noexcept { return {begin_, Length()}; }

private:
    void Release() noexcept;
    void TakeFrom(CopiedUString& other) noexcept;

    Unit* begin_;
    Unit* end_;
    std::uint32_t capacity_;
    Unit inline_[InlineCapacity];
};

extern template class CopiedUString<UTF8>;
extern template class CopiedUString<UTF16>;

using CopiedU8String = CopiedUString<UTF8>;
using CopiedU16String = CopiedUString<UTF16>;
