#include "errors/LocalMemoryHolder.h"

#include "text/Win32.h"

LocalMemoryHolder::~LocalMemoryHolder()
{
    if (memory_)
        LocalFree(memory_);
}

void LocalMemoryHolder::Reset(void* memory)
{
    void* old = memory_;
    memory_ = memory;
    if (old && LocalFree(old) != nullptr)
        throw LocalFreeFailed();
}
