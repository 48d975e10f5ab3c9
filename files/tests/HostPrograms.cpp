#include "files/tests/HostPrograms.h"

#include "text/Transcoding.h"
#include "text/UniqueResource.h"
#include "text/Win32.h"

#include <stdexcept>

std::string UnixPath(const std::wstring& path)
{
    using Convert = char* (*)(const wchar_t*);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
    if (!convert)
        return {};
    char* unix = convert(path.c_str());
    if (!unix)
        return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

void RunHostProgram(const std::string& command, const std::function<bool()>& done)
{
    std::wstring line = Wide(command);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        throw std::runtime_error("cannot run " + command);
    // For a Unix program Wine may give no process handle, and may leave the thread field
    // holding whatever it held, a value that can be another handle of ours (the agent's
    // mutex, say): only a handle that is what it claims to be is closed.
    const UniqueHandle process(info.hProcess && GetProcessId(info.hProcess) != 0 ? info.hProcess : nullptr);
    const UniqueHandle thread(info.hThread && GetThreadId(info.hThread) != 0 ? info.hThread : nullptr);
    for (int waited = 0; waited < 30000 && !done(); waited += 10)
        Sleep(10);
}
