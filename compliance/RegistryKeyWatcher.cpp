#include "compliance/RegistryKeyWatcher.h"

#include "errors/WindowsError.h"

namespace {
constexpr DWORD watchedChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
}

RegistryKeyWatcher::RegistryKeyWatcher(HKEY root, const wchar_t* keyPath, REGSAM view)
{
    HKEY key = nullptr;
    ThrowIfWindowsError(static_cast<std::uint32_t>(RegOpenKeyExW(root, keyPath, 0, KEY_READ | view, &key)));
    key_.Reset(key);
    // Manual reset, signalled: the first look reads the key.
    event_.Reset(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    if (!event_)
        ThrowLastWindowsError();
}

bool RegistryKeyWatcher::Changed() const
{
    return key_ && WaitForSingleObject(event_.Get(), 0) == WAIT_OBJECT_0;
}

void RegistryKeyWatcher::Rearm()
{
    // The event is manual-reset: without this it would stay signalled and every look
    // would read the registry again.
    ResetEvent(event_.Get());
    ThrowIfWindowsError(static_cast<std::uint32_t>(
        RegNotifyChangeKeyValue(key_.Get(), FALSE, watchedChanges, event_.Get(), TRUE)));
}
