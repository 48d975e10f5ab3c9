// Verimark: asks the management agent to evaluate a compliance document and lists what
// each check found.
#include "run/ExitStatus.h"
#include "tool/CommandLine.h"

#include <cstdio>
#include <exception>

// The arguments as the system passed them, in UTF-16: a document name or URL outside the
// ANSI code page reaches the agent intact. Whatever escapes the run (it has closed any
// session it opened) ends with the status of a failure of the tool's own, in words,
// never with the runtime's termination.
int wmain(int argc, wchar_t** argv)
{
    try {
        return RunCommandLine(std::vector<std::wstring>(argv, argv + argc));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Verimark: an unexpected failure: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Verimark: an unexpected failure\n");
    }
    std::fflush(stderr);
    return static_cast<int>(ExitStatus::Unexpected);
}
