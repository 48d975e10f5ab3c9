#include "compliance/ComplianceLock.h"

bool ComplianceLock::Acquire()
{
    if (mutex_)
        return false;
    HANDLE created = CreateMutexW(nullptr, TRUE, L"Quorlan Client Compliance Lock");
    const DWORD code = GetLastError();
    UniqueHandle mutex(created);
    if (!mutex || code == ERROR_ALREADY_EXISTS)
        return false;
    // The exclusion is the name's existence, not ownership: give ownership up, keep the handle.
    ReleaseMutex(mutex.Get());
    mutex_ = std::move(mutex);
    return true;
}

bool ComplianceLock::Release()
{
    if (!mutex_)
        return false;
    return mutex_.Close();
}
