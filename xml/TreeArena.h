#pragma once
// Memory for one parsed tree, handed out by bumping a pointer through large blocks and
// given back only all at once. A response of a million items becomes a few hundred
// allocations instead of millions, touches memory in document order, and is freed
// without walking the tree. Nothing placed here is ever destroyed: only objects that
// own nothing outside the arena belong in it. One arena serves one thread.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TreeArena {
public:
    TreeArena() = default;
    TreeArena(const TreeArena&) = delete;
    TreeArena& operator=(const TreeArena&) = delete;

    // Uninitialised memory for `size` bytes aligned to `align` (a power of two up to
    // alignof(std::max_align_t)).
    void* Allocate(std::size_t size, std::size_t align)
    {
        std::size_t skip = (align - reinterpret_cast<std::uintptr_t>(next_) % align) % align;
        if (static_cast<std::size_t>(end_ - next_) < skip + size)
            return AllocateSlow(size);
        std::byte* at = next_ + skip;
        next_ = at + size;
        return at;
    }

    template <class T>
    T* Allocate(std::size_t count = 1)
    {
        return static_cast<T*>(Allocate(count * sizeof(T), alignof(T)));
    }

    // Grows the latest allocation, which ends at `end`, by `more` bytes in place when the
    // current block has room; false (and nothing changed) otherwise.
    bool Extend(const void* end, std::size_t more) noexcept
    {
        if (end != next_ || static_cast<std::size_t>(end_ - next_) < more)
            return false;
        next_ += more;
        return true;
    }

    // The bytes taken from the system so far.
    std::size_t Reserved() const noexcept { return reserved_; }

private:
    void* AllocateSlow(std::size_t size);

    std::byte* next_ = nullptr;
    std::byte* end_ = nullptr;
    std::size_t reserved_ = 0;
    std::vector<std::unique_ptr<std::byte[]>> blocks_;
};
