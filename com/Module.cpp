#include "com/Module.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace {

HINSTANCE instance = nullptr;
std::atomic<long> locks{0};

std::vector<std::function<void()>>& CleanUps()
{
    static std::vector<std::function<void()>> list;
    return list;
}

std::mutex cleanUpMutex;

}  // namespace

namespace Module {

HINSTANCE Instance() { return instance; }
void Attach(HINSTANCE library) { instance = library; }

void Detach()
{
    std::vector<std::function<void()>> list;
    {
        std::lock_guard lock(cleanUpMutex);
        list.swap(CleanUps());
    }
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        (*it)();
    instance = nullptr;
}

void Lock() { ++locks; }
void Unlock() { --locks; }
long LockCount() { return locks.load(); }

void AtUnload(std::function<void()> cleanUp)
{
    std::lock_guard lock(cleanUpMutex);
    CleanUps().push_back(std::move(cleanUp));
}

HRESULT FileName(std::wstring& path)
{
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(instance, buffer, MAX_PATH);
    if (length == 0)
        return HRESULT_FROM_WIN32(GetLastError());
    if (length >= MAX_PATH)
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    path.assign(buffer, length);
    return S_OK;
}

}  // namespace Module
