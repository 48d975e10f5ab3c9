#include "xml/CompactText.h"

#include "xml/TreeArena.h"

#include <algorithm>
#include <stdexcept>

namespace {

std::size_t CheckedLength(std::size_t old, std::size_t more)
{
    if (more > 0x7FFFFFFF - old)
        throw std::length_error("text too long");
    return old + more;
}

}  // namespace

bool CompactText::AppendInline(U8String text) noexcept
{
    const std::size_t old = InlineLength(), need = old + text.Length();
    if (!IsInline() || need > InlineCapacity)
        return false;
    std::memcpy(raw_ + old, text.first, text.Length());
    SetInlineLength(static_cast<std::uint32_t>(need));
    return true;
}

void CompactText::Append(U8String text)
{
    const std::size_t n = text.Length();
    if (n == 0 || AppendInline(text))
        return;
    const std::size_t old = Length();
    const std::size_t need = CheckedLength(old, n);
    if (IsInline()) {
        // A text that outgrows its place is usually built in pieces (whitespace between
        // children): leave room for a few more.
        const std::size_t capacity = old == 0 ? need : std::max<std::size_t>(need, 32);
        char* bytes = new char[capacity];
        std::memcpy(bytes, raw_, old);
        std::memcpy(bytes + old, text.first, n);
        SetHeap(bytes, capacity, need);
        return;
    }
    if (need > Room()) {
        const std::size_t grown = std::min(std::max(need, 2 * std::size_t{Room()}), MaxLength);
        char* bytes = new char[grown];
        std::memcpy(bytes, heap_.bytes, old);
        if (!IsBorrowed())
            delete[] heap_.bytes;
        heap_.bytes = bytes;
        heap_.capacity = static_cast<std::uint32_t>(grown);
    }
    std::memcpy(heap_.bytes + old, text.first, n);
    heap_.length = static_cast<std::uint32_t>(need);
}

void CompactText::AppendIn(TreeArena& arena, U8String text)
{
    const std::size_t n = text.Length();
    if (n == 0 || AppendInline(text))
        return;
    if (!IsInline() && !IsBorrowed()) {
        Append(text);
        return;
    }
    const std::size_t old = Length();
    const std::size_t need = CheckedLength(old, n);
    if (IsBorrowed() && (need <= Room() || arena.Extend(heap_.bytes + Room(), need - Room()))) {
        heap_.capacity = static_cast<std::uint32_t>(std::max<std::size_t>(need, Room())) | BorrowedFlag;
        std::memcpy(heap_.bytes + old, text.first, n);
        heap_.length = static_cast<std::uint32_t>(need);
        return;
    }
    // A text that arrives whole takes what it needs; one that grows between other
    // allocations (whitespace between children) takes room for more.
    const std::size_t room = old == 0 ? need : std::min(std::max({need, 2 * old, std::size_t{32}}), MaxLength);
    char* bytes = arena.Allocate<char>(room);
    std::memcpy(bytes, Data(), old);
    std::memcpy(bytes + old, text.first, n);
    SetHeap(bytes, room | BorrowedFlag, need);
}

void CompactText::Clear() noexcept
{
    if (IsInline())
        SetInlineLength(0);
    else
        heap_.length = 0;
}
