#include "compliance/ComplianceLock.h"

#include "text/UniqueResource.h"

namespace {

// The holder lives to process exit, when a handle still held is closed.
UniqueHandle& Holder()
{
    static UniqueHandle holder;
    return holder;
}

}  // namespace

namespace ComplianceLock {

bool Acquire()
{
    UniqueHandle& holder = Holder();
    if (holder)
        return false;
    HANDLE created = CreateMutexW(nullptr, TRUE, L"Quorlan Client Compliance Lock");
    const DWORD code = GetLastError();
    UniqueHandle mutex(created);
    if (!mutex || code == ERROR_ALREADY_EXISTS)
        return false;
    // The exclusion is the name's existence, not ownership: give ownership up, keep the handle.
    ReleaseMutex(mutex.Get());
    holder = std::move(mutex);
    return true;
}

bool Release()
{
    UniqueHandle& holder = Holder();
    if (!holder)
        return false;
    return holder.Close();
}

bool Held()
{
    return Holder().Valid();
}

}  // namespace ComplianceLock
