#include "tool/tests/ProcessRunner.h"

#include "files/tests/TestPlatform.h"
#include "tool/tests/ChildProcessText.h"

#include <chrono>
#include <stdexcept>
#include <string>

namespace {

std::wstring CommandLine(const std::wstring& program, const std::vector<std::wstring>& arguments)
{
    std::wstring line = QuoteArgument(program);
    for (const std::wstring& argument : arguments)
        line += L" " + QuoteArgument(argument);
    return line;
}

std::wstring TempFile(const wchar_t* prefix)
{
    wchar_t directory[MAX_PATH + 1], path[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, directory);
    GetTempFileNameW(directory, prefix, 0, path);
    return path;
}

UniqueFile Inheritable(const std::wstring& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return UniqueFile(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}


UniqueHandle Start(const std::wstring& program, const std::vector<std::wstring>& arguments, HANDLE out, HANDLE err,
                   DWORD creation = 0)
{
    UniqueFile input = Inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.Get();
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION info{};
    std::wstring line = CommandLine(program, arguments);
    // A loaded machine's Wine now and then fails a start it makes the next moment: a start
    // is tried three times before the test is told, with the system's code.
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, creation, nullptr, nullptr, &startup,
                           &info))
            break;
        const DWORD code = GetLastError();
        if (attempt == 3)
            throw std::runtime_error("cannot start a program (error " + std::to_string(code) + ")");
        Sleep(500);
    }
    const UniqueHandle thread(info.hThread);
    return UniqueHandle(info.hProcess);
}

}  // namespace

std::wstring ProgramPath(const wchar_t* relative)
{
    std::wstring path = VERIMARK_BIN_DIR L"/";
    path += relative;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

UniqueHandle StartProgram(const std::wstring& program, const std::vector<std::wstring>& arguments, HANDLE out)
{
    UniqueFile err = Inheritable(L"NUL", GENERIC_WRITE, OPEN_EXISTING);
    return Start(program, arguments, out, err.Get());
}

Finished RunProgram(const std::wstring& program, const std::vector<std::wstring>& arguments, DWORD timeoutMs,
                    DWORD creation)
{
    const std::wstring outPath = TempFile(L"out"), errPath = TempFile(L"err");
    Finished finished;
    {
        UniqueFile out = Inheritable(outPath, GENERIC_WRITE, CREATE_ALWAYS);
        UniqueFile err = Inheritable(errPath, GENERIC_WRITE, CREATE_ALWAYS);
        const auto start = std::chrono::steady_clock::now();
        UniqueHandle process = Start(program, arguments, out.Get(), err.Get(), creation);
        if (WaitForSingleObject(process.Get(), Scaled(timeoutMs)) != WAIT_OBJECT_0) {
            TerminateProcess(process.Get(), 99);
            WaitForSingleObject(process.Get(), Scaled(DWORD{5000}));
        }
        finished.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        GetExitCodeProcess(process.Get(), &finished.exitCode);
    }
    finished.out = ReadWholeFile(outPath);
    finished.err = ReadWholeFile(errPath);
    DeleteFileW(outPath.c_str());
    DeleteFileW(errPath.c_str());
    return finished;
}

BackgroundProgram::BackgroundProgram(const std::wstring& program, const std::vector<std::wstring>& arguments)
    : outputPath_(TempFile(L"agt"))
{
    UniqueFile out = Inheritable(outputPath_, GENERIC_WRITE, CREATE_ALWAYS);
    process_ = Start(program, arguments, out.Get(), out.Get());
}

BackgroundProgram::~BackgroundProgram()
{
    Stop();
    DeleteFileW(outputPath_.c_str());
}

bool BackgroundProgram::WaitForOutput(const std::string& text, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < Scaled(timeoutMs); waited += 50) {
        if (Output().find(text) != std::string::npos)
            return true;
        if (WaitForSingleObject(process_.Get(), 50) == WAIT_OBJECT_0)
            return Output().find(text) != std::string::npos;
    }
    return false;
}

std::string BackgroundProgram::Output() const
{
    return ReadWholeFile(outputPath_);
}

DWORD BackgroundProgram::Stop()
{
    if (!process_)
        return 0;
    if (UniqueHandle stop(OpenEventW(EVENT_MODIFY_STATE, FALSE, L"TVKClientSim.Stop")); stop)
        SetEvent(stop.Get());
    if (WaitForSingleObject(process_.Get(), Scaled(DWORD{10000})) != WAIT_OBJECT_0)
        TerminateProcess(process_.Get(), 99);
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    process_.Reset();
    return code;
}
