#include "tool/CommandLine.h"

#include "tool/RunAndList.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::uint32_t maximumFlags = 15;

// The exit statuses (the low byte reaches a shell: -1 is 255, -2 is 254).
constexpr int ExitRan = 0;            // a session ran (its failures are on standard output)
constexpr int ExitUsage = -1;         // the usage text, or a result text that is not UTF-8
constexpr int ExitExportFailed = -2;  // -x could not export the response
// Not an exit status: the arguments do not match a form, the usage text follows.
constexpr int ShowUsage = 1;

}  // namespace

std::int32_t DecimalArgument(const char* text)
{
    // strtol saturates where atoi's behaviour is undefined; both read the same digits.
    return static_cast<std::int32_t>(std::strtol(text, nullptr, 10));
}

void PrintUsage()
{
    const char* const name = "Verimark";
    std::printf("Usage: \n");
    std::printf("       %s -d\n", name);
    std::printf("       %s -c <url> <doc> [<numeric flags>]\n", name);
    std::printf("       %s -x <url> <doc> <output xml full path> [<numeric flags>]\n", name);
    std::printf("  where:\n");
    std::printf("    <url> is a site gather url the TVKClient is subscribed.\n");
    std::printf("    <doc> is the name of the compliance document to process.\n");
    std::printf("    <output xml full path> is the full path of where the response XML will be output.\n");
    std::printf("  sample:\n");
    std::printf("    %s -c http://myserver:52311/cgi-bin/tvkgather.exe/actionsite ComplianceDoc.xml\n", name);
    std::printf("  note:\n");
    std::printf("    in this example <doc> would be in the __TVKData\\actionsite\\__Compliance folder.\n");
    std::printf("    flags = a number from 0 to %d (the sum of the following values).\n", static_cast<int>(maximumFlags));
    std::printf("          = 1 - COMPLIANCE_FLAG_GATHER         - gather all sites.\n");
    std::printf("          = 2 - COMPLIANCE_FLAG_EVALUATE_ALL   - evaluate all vantrels.\n");
    std::printf("          = 4 - COMPLIANCE_FLAG_IDLE_CPU_USAGE - use IDLE cpu resource level.\n");
    std::printf("          = 8 - COMPLIANCE_FLAG_ACTIONHINT     - treat <doc> arg as action id hint.\n");
    std::fflush(stdout);
}

int RunFromArguments(int argc, char** argv, bool exportResponse)
{
    const int flagsIndex = exportResponse ? 5 : 4;
    std::int32_t flags = 0;
    if (argc == flagsIndex + 1) {
        flags = DecimalArgument(argv[flagsIndex]);
        if (static_cast<std::uint32_t>(flags) > maximumFlags)
            return ShowUsage;
    }
    const _bstr_t url(argv[2]), document(argv[3]);
    const _bstr_t output = exportResponse ? _bstr_t(argv[4]) : _bstr_t();
    const std::int32_t ran = RunAndList(url, document, flags, exportResponse, output);
    if (ran == RunInvalidUtf8) {
        std::fputs("Error: XML is not valid UTF-8.\n", stderr);
        std::fflush(stderr);
        return ExitUsage;
    }
    return ran == RunExportFailed ? ExitExportFailed : ExitRan;
}

int RunCommandLine(int argc, char** argv)
{
    const char* option = argc >= 2 ? argv[1] : "";
    if (argc == 2 && std::strcmp(option, "-d") == 0) {
        RunAndList(_bstr_t(L""), _bstr_t(L""), 0, false, _bstr_t());
        return ExitRan;
    }
    int ran = ShowUsage;
    if ((argc == 4 || argc == 5) && std::strcmp(option, "-c") == 0)
        ran = RunFromArguments(argc, argv, false);
    else if ((argc == 5 || argc == 6) && std::strcmp(option, "-x") == 0)
        ran = RunFromArguments(argc, argv, true);
    if (ran != ShowUsage)
        return ran;
    PrintUsage();
    return ExitUsage;
}
