#include "text/tests/FailingAllocator.h"

#include <cstdlib>
#include <new>

namespace FailingAllocator {
long allocationNumber = 0;
long failAt = 0;
long live = 0;
}  // namespace FailingAllocator

using namespace FailingAllocator;

void* operator new(std::size_t size)
{
    if (failAt != 0 && ++allocationNumber == failAt)
        throw std::bad_alloc();
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    ++live;
    return p;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return operator new(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept
{
    if (p)
        --live;
    std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
