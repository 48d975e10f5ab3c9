#pragma once
// An open registry key with an armed change notification: Changed() tells whether the
// key's values changed since the last Rearm (and is true before the first).
#include "text/UniqueResource.h"

class RegistryKeyWatcher {
public:
    // Raises Windows::Error when the key cannot be opened or the event created. The view
    // flag (KEY_WOW64_32KEY, KEY_WOW64_64KEY or none) says in which registry view.
    RegistryKeyWatcher(HKEY root, const wchar_t* keyPath, REGSAM view = 0);

    bool Changed() const;
    // Resets the event and asks to be told of the next change of a value or subkey name.
    void Rearm();

private:
    UniqueRegistryKey key_;
    UniqueHandle event_;
};
