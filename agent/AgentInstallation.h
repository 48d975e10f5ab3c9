#pragma once
// What an agent's installation leaves for the core to find: "Version", "RequestDir" and
// "ResponseDir" under HKEY_LOCAL_MACHINE, in the registry view of its bitness, and the two
// directories.
#include "agent/AgentConsole.h"
#include "text/Win32.h"

#include <string>

//   install [--version V] [--request-dir DIR] [--response-dir DIR] [--view 32|64]
int Install(Arguments& args);
//   uninstall [--view 32|64]: the three values, from both views unless one is named.
int Uninstall(Arguments& args);

// A REG_SZ value under HKEY_LOCAL_MACHINE; view 0 is this program's own. False when refused.
bool SetRegistryString(const wchar_t* keyPath, const wchar_t* name, const std::wstring& value, REGSAM view = 0);
void DeleteRegistryValue(const wchar_t* keyPath, const wchar_t* name, REGSAM view = 0);

// A directory and whatever of its parents is missing.
void CreateDirectories(const std::wstring& path);
