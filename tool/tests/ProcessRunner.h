#pragma once
// Runs the project's programs as real processes, with their output captured.
#include "text/UniqueResource.h"

#include <cstdint>
#include <string>
#include <vector>

std::wstring ProgramPath(const wchar_t* relative);  // under the build tree

struct Finished {
    DWORD exitCode = 0;
    std::string out, err;
    double seconds = 0;
};

// Quotes each argument as the runtime's argument parser expects. `creation` takes flags of
// CreateProcessW, such as CREATE_NEW_CONSOLE. Every time limit here is scaled by the
// suite's time scale (files/tests/TestPlatform.h); a program still running at its limit is
// terminated with status 99.
Finished RunProgram(const std::wstring& program, const std::vector<std::wstring>& arguments, DWORD timeoutMs = 60000,
                    DWORD creation = 0);

// A program started with its standard output into `out` (a pipe the test reads when it
// chooses: a slow reader) and its standard error discarded.
UniqueHandle StartProgram(const std::wstring& program, const std::vector<std::wstring>& arguments, HANDLE out);

// A program left running (the stand-in agent); its output goes to a file.
class BackgroundProgram {
public:
    BackgroundProgram(const std::wstring& program, const std::vector<std::wstring>& arguments);
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;
    ~BackgroundProgram();

    // Waits until its output holds `text` (true) or the time is up (false).
    bool WaitForOutput(const std::string& text, DWORD timeoutMs = 20000);
    std::string Output() const;
    // Asks the agent to stop (as "TVKClientSim stop" does) and waits for it.
    DWORD Stop();

private:
    UniqueHandle process_;
    std::wstring outputPath_;
};
