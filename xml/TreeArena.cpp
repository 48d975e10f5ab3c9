#include "xml/TreeArena.h"

#include <algorithm>

void* TreeArena::AllocateSlow(std::size_t size)
{
    // Blocks double from 1 KiB to 1 MiB: a small document stays small, a large one
    // allocates rarely. A request too large for that gets a block of its own, and the
    // current block stays in use.
    constexpr std::size_t smallest = 1024, largest = 1024 * 1024;
    const std::size_t ordinary = std::min(largest, smallest << std::min<std::size_t>(blocks_.size(), 10));
    const bool own = size > ordinary / 4;
    const std::size_t bytes = own ? size : ordinary;
    blocks_.reserve(blocks_.size() + 1);
    blocks_.push_back(std::unique_ptr<std::byte[]>(new std::byte[bytes]));  // not zeroed: callers initialise
    reserved_ += bytes;
    std::byte* block = blocks_.back().get();
    if (own)
        return block;
    next_ = block + size;
    end_ = block + bytes;
    return block;
}
