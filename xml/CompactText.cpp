#include "xml/CompactText.h"

#include <algorithm>
#include <stdexcept>

void CompactText::Append(U8String text)
{
    const std::size_t n = text.Length();
    if (n == 0)
        return;
    const std::size_t old = Length();
    const std::size_t need = old + n;
    if (need > 0x7FFFFFFF)
        throw std::length_error("text too long");
    if (IsInline()) {
        if (need <= InlineCapacity) {
            std::memcpy(raw_ + old, text.first, n);
            SetInlineLength(static_cast<std::uint32_t>(need));
            return;
        }
        // A text that outgrows its place is usually built in pieces (whitespace between
        // children): leave room for a few more.
        const std::size_t capacity = old == 0 ? need : std::max<std::size_t>(need, 32);
        char* bytes = new char[capacity];
        std::memcpy(bytes, raw_, old);
        std::memcpy(bytes + old, text.first, n);
        heap_ = {bytes, static_cast<std::uint32_t>(capacity), static_cast<std::uint32_t>(need)};
        return;
    }
    if (need > heap_.capacity) {
        const std::size_t grown = std::min<std::size_t>(std::max(need, 2 * std::size_t{heap_.capacity}), 0x7FFFFFFF);
        char* bytes = new char[grown];
        std::memcpy(bytes, heap_.bytes, old);
        delete[] heap_.bytes;
        heap_.bytes = bytes;
        heap_.capacity = static_cast<std::uint32_t>(grown);
    }
    std::memcpy(heap_.bytes + old, text.first, n);
    heap_.length = static_cast<std::uint32_t>(need);
}

void CompactText::Clear() noexcept
{
    if (IsInline())
        SetInlineLength(0);
    else
        heap_.length = 0;
}
