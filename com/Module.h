#pragma once
// The server's module: the library's instance, its lock count, and the clean-up list run
// when the library is unloaded.
#include "text/Win32.h"

#include <functional>
#include <string>

namespace Module {

HINSTANCE Instance();
void Attach(HINSTANCE instance);
void Detach();

// The library may be unloaded only while this is 0: every live object, every held class
// factory and every LockServer(TRUE) counts one.
void Lock();
void Unlock();
long LockCount();

// Runs at unload, after the class factories are gone.
void AtUnload(std::function<void()> cleanUp);

// The library's own full path, of any length the system allows; its HRESULT on failure.
HRESULT FileName(std::wstring& path);

}  // namespace Module
