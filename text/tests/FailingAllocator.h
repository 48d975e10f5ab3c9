#pragma once
// The global operator new and delete of the test programs that link FailingAllocator.cpp:
// they count the blocks alive and can make one chosen allocation fail with std::bad_alloc.
namespace FailingAllocator {

extern long allocationNumber;  // allocations since the count was reset
extern long failAt;            // the allocation (1-based) that fails; 0: none
extern long live;              // allocated and not yet freed

// Counting from zero, the n-th allocation from now on fails (0: none does).
inline void FailAt(long n)
{
    allocationNumber = 0;
    failAt = n;
}

}  // namespace FailingAllocator
