#pragma once
// The core's registry readers, all under HKEY_LOCAL_MACHINE in the process's own view.
#include "text/CopiedUString.h"

#include <optional>

// Where the agent keeps its settings.
inline constexpr const wchar_t* ApiKeyPath = L"SOFTWARE\\Quorlan\\VerimarkAPI";
inline constexpr const wchar_t* ClientKeyPath = L"Software\\Quorlan\\EnterpriseClient";

// The text of a REG_SZ value as UTF-8, up to its first zero unit; nothing when the key or
// value is missing or the value is not a string.
std::optional<CopiedU8String> ReadRegistryString(const wchar_t* keyPath, const wchar_t* valueName);
// Whether the value can be queried, whatever its type.
bool RegistryValueExists(const wchar_t* keyPath, const wchar_t* valueName);
