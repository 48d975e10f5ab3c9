#pragma once
// The core's registry readers, all under HKEY_LOCAL_MACHINE.
//
// On 64-bit Windows a 32-bit and a 64-bit program see different keys under
// HKLM\SOFTWARE (the 32-bit view lives under WOW6432Node), and the agent writes its
// values into the view of its own bitness. So each value is read from the process's own
// view first and, only when the key or the value is missing there, from the other view:
// when both views hold the agent's keys, the process's own view wins.
#include "text/CopiedUString.h"
#include "text/Win32.h"

#include <optional>

// Where the agent keeps its settings.
inline constexpr const wchar_t* ApiKeyPath = L"SOFTWARE\\Quorlan\\VerimarkAPI";
inline constexpr const wchar_t* ClientKeyPath = L"Software\\Quorlan\\EnterpriseClient";

enum class RegistryView { Own, Other };

// The access flag that opens a key in that view: none for the process's own, the flag
// of the other bitness otherwise (on 32-bit Windows there is one view and the flag is
// ignored, so the other view is the own one).
REGSAM RegistryViewFlag(RegistryView view);

// The text of a REG_SZ value as UTF-8, up to its first zero unit; nothing when the key or
// value is missing in both views or the value found is not a string.
std::optional<CopiedU8String> ReadRegistryString(const wchar_t* keyPath, const wchar_t* valueName);
// The same, with the view the value was found in.
struct RegistryString {
    std::optional<CopiedU8String> text;
    std::optional<RegistryView> view;  // empty when the value is in neither view
};
RegistryString ReadRegistryStringWithView(const wchar_t* keyPath, const wchar_t* valueName);

// Whether the value can be queried, whatever its type, in either view.
bool RegistryValueExists(const wchar_t* keyPath, const wchar_t* valueName);
// Whether it can be queried in that one view.
bool RegistryValueExistsIn(RegistryView view, const wchar_t* keyPath, const wchar_t* valueName);
