// Verimark: asks the management agent to evaluate a compliance document and lists what
// each check found.
#include "tool/CommandLine.h"

// The arguments as the system passed them, in UTF-16: a document name or URL outside the
// ANSI code page reaches the agent intact.
int wmain(int argc, wchar_t** argv)
{
    return RunCommandLine(std::vector<std::wstring>(argv, argv + argc));
}
