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
    // A path longer than the buffer is cut and reported as a full buffer: grow and ask again.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetModuleFileNameW(instance, buffer.data(), static_cast<DWORD>(buffer.size()));
        const DWORD error = GetLastError();
        if (length == 0)
            return HRESULT_FROM_WIN32(error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error);
        if (length < buffer.size() && error != ERROR_INSUFFICIENT_BUFFER) {
            path.assign(buffer.data(), length);
            return S_OK;
        }
        if (buffer.size() >= 32768)
            return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace Module
