// Test helper, started in a console of its own: starts a program on that console, waits
// until its output holds a text, then sends Ctrl+C, to the program's own process group
// ("group") or to every process of the console ("console", the helper itself handling it),
// and ends with the program's exit status. The program's output is passed on as the
// helper's own. (Wine delivers no Ctrl+Break to anyone: its GenerateConsoleCtrlEvent
// refuses that event.)
//   send_console_event group|console <text> <program> [arguments...]
#include "text/UniqueResource.h"
#include "tool/tests/ChildProcessText.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace {

BOOL WINAPI HandledHere(DWORD) { return TRUE; }

UniqueFile Inheritable(const std::wstring& path)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return UniqueFile(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4)
        return 200;
    const bool ownGroup = std::wstring(argv[1]) == L"group";
    const std::wstring trigger = argv[2];
    std::wstring command;
    for (int i = 3; i < argc; ++i)
        command += (i > 3 ? L" " : L"") + QuoteArgument(argv[i]);
    // The helper handles Ctrl+C itself (a handler, unlike ignoring it, is not inherited).
    SetConsoleCtrlHandler(HandledHere, TRUE);

    wchar_t temp[MAX_PATH + 1], outPath[MAX_PATH + 1], errPath[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    GetTempFileNameW(temp, L"sco", 0, outPath);
    GetTempFileNameW(temp, L"sce", 0, errPath);
    DWORD code = 201;
    {
        UniqueFile out = Inheritable(outPath), err = Inheritable(errPath);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out.Get();
        startup.hStdError = err.Get();
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(argv[3], command.data(), nullptr, nullptr, TRUE, ownGroup ? CREATE_NEW_PROCESS_GROUP : 0,
                            nullptr, nullptr, &startup, &info))
            return 202;
        const UniqueHandle process(info.hProcess), thread(info.hThread);
        const std::string text(trigger.begin(), trigger.end());
        for (int waited = 0; waited < 60000; waited += 50) {
            if ((ReadWholeFile(outPath) + ReadWholeFile(errPath)).find(text) != std::string::npos)
                break;
            if (WaitForSingleObject(process.Get(), 50) == WAIT_OBJECT_0)
                break;
        }
        if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, ownGroup ? info.dwProcessId : 0))
            code = 203;
        if (WaitForSingleObject(process.Get(), 60000) != WAIT_OBJECT_0)
            TerminateProcess(process.Get(), 204);
        DWORD exit = 0;
        GetExitCodeProcess(process.Get(), &exit);
        if (code != 203)
            code = exit;
    }
    const std::string out = ReadWholeFile(outPath), err = ReadWholeFile(errPath);
    _setmode(_fileno(stdout), _O_BINARY);  // the program's bytes as they are
    _setmode(_fileno(stderr), _O_BINARY);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    DeleteFileW(outPath);
    DeleteFileW(errPath);
    return static_cast<int>(code);
}
