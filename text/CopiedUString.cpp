#include "text/CopiedUString.h"

#include <algorithm>
#include <stdexcept>

template <class E>
CopiedUString<E>::CopiedUString() noexcept : begin_(inline_), end_(inline_), capacity_(InlineCapacity)
{
}

template <class E>
CopiedUString<E> CopiedUString<E>::WithCapacity(std::uint32_t n)
{
    CopiedUString s;
    if (n > InlineCapacity) {
        s.begin_ = s.end_ = new Unit[n];
        s.capacity_ = n;
    }
    return s;
}

template <class E>
CopiedUString<E>::CopiedUString(UString<E> text) : CopiedUString()
{
    // Lengths are 32-bit: a longer text is refused, never cut and then copied whole.
    if (text.Length() > UINT32_MAX)
        throw std::length_error("CopiedUString too long");
    const auto n = static_cast<std::uint32_t>(text.Length());
    if (n > InlineCapacity) {
        begin_ = new Unit[n];
        capacity_ = n;
    }
    if (n)
        std::copy(text.first, text.last, begin_);
    end_ = begin_ + n;
}

template <class E>
CopiedUString<E>::CopiedUString(const CopiedUString& other) : CopiedUString(other.View())
{
}

template <class E>
CopiedUString<E>::CopiedUString(CopiedUString&& other) noexcept : CopiedUString()
{
    TakeFrom(other);
}

template <class E>
CopiedUString<E>& CopiedUString<E>::operator=(const CopiedUString& other)
{
    if (this != &other) {
        CopiedUString copy(other);
        *this = std::move(copy);
    }
    return *this;
}

template <class E>
CopiedUString<E>& CopiedUString<E>::operator=(CopiedUString&& other) noexcept
{
    if (this != &other) {
        Release();
        TakeFrom(other);
    }
    return *this;
}

template <class E>
CopiedUString<E>::~CopiedUString()
{
    Release();
}

template <class E>
void CopiedUString<E>::Release() noexcept
{
    if (begin_ != inline_)
        delete[] begin_;
    begin_ = end_ = inline_;
    capacity_ = InlineCapacity;
}

// Inline text is copied whole (the buffer is small and fixed); heap storage changes hands.
// Either way the source is left empty.
template <class E>
void CopiedUString<E>::TakeFrom(CopiedUString& other) noexcept
{
    if (other.begin_ == other.inline_) {
        std::copy(other.inline_, other.inline_ + InlineCapacity, inline_);
        begin_ = inline_;
        end_ = inline_ + (other.end_ - other.begin_);
        capacity_ = InlineCapacity;
    } else {
        begin_ = other.begin_;
        end_ = other.end_;
        capacity_ = other.capacity_;
    }
    other.begin_ = other.end_ = other.inline_;
    other.capacity_ = InlineCapacity;
}

template <class E>
void CopiedUString<E>::SetEnd(Unit* p)
{
    if (p < begin_ || p > begin_ + capacity_)
        throw std::out_of_range("SetEnd out of range");
    end_ = p;
}

template <class E>
void CopiedUString<E>::Append(UString<E> text)
{
    const std::size_t n = text.Length();
    if (n == 0)
        return;
    const std::size_t old = Length();
    const std::size_t need = old + n;
    if (need > UINT32_MAX)
        throw std::length_error("CopiedUString too long");
    if (capacity_ >= need) {
        std::copy(text.first, text.last, begin_ + old);
        SetEnd(begin_ + need);
        return;
    }
    // Geometric growth keeps piecewise building linear overall.
    const std::size_t grown = std::max<std::size_t>({need, 2 * old, InlineCapacity});
    const auto capacity = static_cast<std::uint32_t>(std::min<std::size_t>(grown, UINT32_MAX));
    CopiedUString bigger = WithCapacity(capacity);
    std::copy(begin_, end_, bigger.begin_);
    std::copy(text.first, text.last, bigger.begin_ + old);
    bigger.SetEnd(bigger.begin_ + need);
    *this = std::move(bigger);
}

template class CopiedUString<UTF8>;
template class CopiedUString<UTF16>;
