#pragma once
// An open registry key with an armed change notification: Changed() tells whether the
// key's values changed since the last Rearm (and is true before the first).
#include "text/UniqueResource.h"

class RegistryKeyWatcher {
public:
    // Raises Windows::Error when the key cannot be opened or the event created.
    RegistryKeyWatcher(HKEY root, const wchar_t* keyPath);

    bool Changed() const;
    // Resets the event and asks to be told of the next change of a value or subkey name.
    void Rearm();

private:
    UniqueRegistryKey key_;
    UniqueHandle event_;
};
