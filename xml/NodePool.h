#pragma once
// Storage for the nodes of one parsed tree: slots of one size carved from large blocks,
// so a response of a million items costs a few thousand allocations instead of millions.
// A pool serves one tree on one thread; every list of the tree shares it, and it lives
// as long as any of them does. Other sizes, and lists made without a pool, use the heap.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>
#include <vector>

class NodePool {
public:
    NodePool() = default;
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;

    void* Allocate(std::size_t size)
    {
        if (slotSize_ == 0)
            slotSize_ = Round(size);
        if (Round(size) != slotSize_)
            return ::operator new(size);
        if (free_) {
            Slot* slot = free_;
            free_ = slot->next;
            return slot;
        }
        if (next_ == end_)
            Grow();
        void* slot = next_;
        next_ += slotSize_;
        return slot;
    }

    void Deallocate(void* p, std::size_t size) noexcept
    {
        if (Round(size) != slotSize_) {
            ::operator delete(p);
            return;
        }
        Slot* slot = static_cast<Slot*>(p);
        slot->next = free_;
        free_ = slot;
    }

private:
    struct Slot {
        Slot* next;
    };
    static std::size_t Round(std::size_t size)
    {
        constexpr std::size_t align = alignof(std::max_align_t);
        return (std::max(size, sizeof(Slot)) + align - 1) / align * align;
    }
    void Grow()
    {
        // Blocks grow from 16 to 4096 slots: small trees stay small, large ones allocate rarely.
        const std::size_t slots = std::size_t{16} << std::min<std::size_t>(blocks_.size(), 8);
        blocks_.push_back(std::unique_ptr<std::byte[]>(new std::byte[slots * slotSize_]));  // not zeroed
        next_ = blocks_.back().get();
        end_ = next_ + slots * slotSize_;
    }

    std::size_t slotSize_ = 0;
    Slot* free_ = nullptr;
    std::byte* next_ = nullptr;
    std::byte* end_ = nullptr;
    std::vector<std::unique_ptr<std::byte[]>> blocks_;
};

template <class T>
class PoolAllocator {
public:
    using value_type = T;

    PoolAllocator() noexcept = default;
    explicit PoolAllocator(std::shared_ptr<NodePool> pool) noexcept : pool_(std::move(pool)) {}
    template <class U>
    PoolAllocator(const PoolAllocator<U>& other) noexcept : pool_(other.Pool())
    {
    }

    T* allocate(std::size_t n)
    {
        if (pool_ && n == 1)
            return static_cast<T*>(pool_->Allocate(sizeof(T)));
        return static_cast<T*>(::operator new(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept
    {
        if (pool_ && n == 1)
            pool_->Deallocate(p, sizeof(T));
        else
            ::operator delete(p);
    }

    // A copy of a tree is a tree of its own, which may go to another thread: it gets its own pool.
    PoolAllocator select_on_container_copy_construction() const
    {
        return pool_ ? PoolAllocator(std::make_shared<NodePool>()) : PoolAllocator();
    }
    using propagate_on_container_copy_assignment = std::false_type;
    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_swap = std::true_type;

    const std::shared_ptr<NodePool>& Pool() const noexcept { return pool_; }

    template <class U>
    bool operator==(const PoolAllocator<U>& other) const noexcept
    {
        return pool_ == other.Pool();
    }

private:
    std::shared_ptr<NodePool> pool_;
};
