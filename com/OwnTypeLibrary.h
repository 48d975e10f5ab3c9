#pragma once
// The server's type library, always from the server's own file (or a ".tlb" beside it),
// never through the registry: a per-user registration may name any file, and a script
// host, possibly an elevated one, would load it.
#include <oaidl.h>

#include <string>

// Loads without registering (REGKIND_NONE). `path` receives the module's path when asked.
HRESULT LoadOwnTypeLibrary(ITypeLib** library, std::wstring* path = nullptr);
