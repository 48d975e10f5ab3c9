#pragma once
// What FormatMessage itself says for a code, asked directly rather than through the code
// under test: the tests' independent answer to compare with. The text comes as the system
// gives it, line end and all; empty when the system has none.
#include "errors/LocalMemoryHolder.h"
#include "text/Win32.h"

#include <string>

inline std::wstring AskedSystemMessage(DWORD code, DWORD language = 0)
{
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                       FORMAT_MESSAGE_FROM_SYSTEM,
                                   nullptr, code, language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    LocalMemoryHolder holder(buffer);
    return n ? std::wstring(buffer, n) : std::wstring();
}
