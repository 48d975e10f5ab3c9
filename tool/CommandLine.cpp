#include "tool/CommandLine.h"

#include "tool/Cancellation.h"
#include "tool/ExitStatus.h"
#include "tool/JsonReport.h"
#include "tool/RunAndList.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#ifndef VERIMARK_VERSION
#error "the build defines VERIMARK_VERSION"
#endif

namespace {

constexpr std::uint32_t maximumFlags = 15;

// The exit statuses without --exit-codes (the low byte reaches a shell: -1 is 255, -2 is 254).
constexpr int ExitRan = 0;            // a session ran (its failures are on standard output)
constexpr int ExitUsage = -1;         // the usage text, or a result text that is not UTF-8
constexpr int ExitExportFailed = -2;  // -x could not export the response
// Not an exit status: the arguments do not match a form, the usage text follows.
constexpr int ShowUsage = 1;

// The options before the form.
struct ToolOptions {
    bool json = false;
    bool exitCodes = false;
    std::optional<std::uint32_t> timeoutSeconds;
};

void PrintUsageTo(FILE* out)
{
    const char* const name = "Verimark";
    std::fprintf(out, "Usage: \n");
    std::fprintf(out, "       %s -d\n", name);
    std::fprintf(out, "       %s -c <url> <doc> [<numeric flags>]\n", name);
    std::fprintf(out, "       %s -x <url> <doc> <output xml full path> [<numeric flags>]\n", name);
    std::fprintf(out, "  where:\n");
    std::fprintf(out, "    <url> is a site gather url the TVKClient is subscribed.\n");
    std::fprintf(out, "    <doc> is the name of the compliance document to process.\n");
    std::fprintf(out, "    <output xml full path> is the full path of where the response XML will be output.\n");
    std::fprintf(out, "  sample:\n");
    std::fprintf(out, "    %s -c http://myserver:52311/cgi-bin/tvkgather.exe/actionsite ComplianceDoc.xml\n", name);
    std::fprintf(out, "  note:\n");
    std::fprintf(out, "    in this example <doc> would be in the __TVKData\\actionsite\\__Compliance folder.\n");
    std::fprintf(out, "    flags = a number from 0 to %d (the sum of the following values).\n",
                 static_cast<int>(maximumFlags));
    std::fprintf(out, "          = 1 - COMPLIANCE_FLAG_GATHER         - gather all sites.\n");
    std::fprintf(out, "          = 2 - COMPLIANCE_FLAG_EVALUATE_ALL   - evaluate all vantrels.\n");
    std::fprintf(out, "          = 4 - COMPLIANCE_FLAG_IDLE_CPU_USAGE - use IDLE cpu resource level.\n");
    std::fprintf(out, "          = 8 - COMPLIANCE_FLAG_ACTIONHINT     - treat <doc> arg as action id hint.\n");
    std::fflush(out);
}

void PrintHelp()
{
    PrintUsage();
    std::printf("  options, before -d, -c or -x, in any order:\n");
    std::printf("    --json              at the end, one JSON document in UTF-8 on standard output; progress\n");
    std::printf("                        lines go to standard error; implies --exit-codes\n");
    std::printf("    --exit-codes        end with the exit statuses below\n");
    std::printf("    --timeout <seconds> give up that long after the start: close the session, end with 10\n");
    std::printf("  and on their own: Verimark --help (or -h, /?), Verimark --version\n");
    std::printf("  exit statuses with --exit-codes (and --json):\n");
    for (const ExitStatusMeaning& row : exitStatusTable)
        std::printf("    %2d  %s\n", static_cast<int>(row.status), row.meaning);
    std::fflush(stdout);
}

// A whole number of seconds, at least 1 and at most a week, and nothing else.
std::optional<std::uint32_t> Seconds(const char* text)
{
    std::uint32_t value = 0;
    const char* p = text;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + static_cast<std::uint32_t>(*p - '0');
        if (value > 7 * 86400)
            return std::nullopt;
    }
    if (p == text || *p != '\0' || value == 0)
        return std::nullopt;
    return value;
}

// Reads the options; what is left is the form, after the program's name. Nothing when an
// option is not understood.
std::optional<std::vector<char*>> ReadOptions(int argc, char** argv, ToolOptions& options)
{
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            options.json = options.exitCodes = true;
        } else if (std::strcmp(argv[i], "--exit-codes") == 0) {
            options.exitCodes = true;
        } else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc && Seconds(argv[i + 1])) {
            options.timeoutSeconds = Seconds(argv[++i]);
        } else {
            return std::nullopt;
        }
    }
    std::vector<char*> form{argv[0]};
    form.insert(form.end(), argv + i, argv + argc);
    return form;
}

// The flags of a "-c" or "-x" form: 0 without the argument, nothing when it is rejected.
std::optional<std::int32_t> FlagsArgument(const std::vector<char*>& form, bool exportResponse)
{
    const std::size_t flagsIndex = exportResponse ? 5 : 4;
    if (form.size() != flagsIndex + 1)
        return 0;
    const std::int32_t flags = DecimalArgument(form[flagsIndex]);
    if (static_cast<std::uint32_t>(flags) > maximumFlags)
        return std::nullopt;
    return flags;
}

// The status a run ends with without --exit-codes, as it always has; a stop on request
// ends as an interrupted console program does, and a time limit with its own status.
int StatusWithoutExitCodes(const RunReport& report, bool dForm)
{
    switch (report.outcome.status) {
    case ExitStatus::Cancelled:
        return static_cast<int>(STATUS_CONTROL_C_EXIT);
    case ExitStatus::TimedOut:
        return static_cast<int>(ExitStatus::TimedOut);
    case ExitStatus::InvalidText:
        return dForm ? ExitRan : ExitUsage;
    case ExitStatus::ExportFailed:
        return dForm ? ExitRan : ExitExportFailed;
    default:
        return ExitRan;
    }
}

// Runs one form ("-d": two arguments; "-c", "-x") with its flags already read.
RunRecord RunForm(const std::vector<char*>& form, bool exportResponse, std::int32_t flags, const RunOptions& options)
{
    RunRecord record;
    record.started = UtcNow();
    record.flags = flags;
    const bool dForm = form.size() == 2;
    record.url = dForm ? _bstr_t(L"") : _bstr_t(form[2]);
    record.document = dForm ? _bstr_t(L"") : _bstr_t(form[3]);
    if (exportResponse)
        record.exportPath = _bstr_t(form[4]);
    record.report = RunSession(record.url, record.document, flags, exportResponse,
                               exportResponse ? *record.exportPath : _bstr_t(), options);
    if (record.report.outcome.status == ExitStatus::InvalidText && !dForm) {
        std::fputs("Error: XML is not valid UTF-8.\n", stderr);
        std::fflush(stderr);
    }
    record.ended = UtcNow();
    return record;
}

// The document's bytes as they are: standard output untranslated, for once.
void WriteJson(const std::string& document)
{
    std::fflush(stdout);
    const int previous = _setmode(_fileno(stdout), _O_BINARY);
    std::fwrite(document.data(), 1, document.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    if (previous != -1)
        _setmode(_fileno(stdout), previous);
}

}  // namespace

std::int32_t DecimalArgument(const char* text)
{
    // strtol saturates where atoi's behaviour is undefined; both read the same digits.
    return static_cast<std::int32_t>(std::strtol(text, nullptr, 10));
}

void PrintUsage()
{
    PrintUsageTo(stdout);
}

int RunFromArguments(int argc, char** argv, bool exportResponse)
{
    const std::vector<char*> form(argv, argv + argc);
    const std::optional<std::int32_t> flags = FlagsArgument(form, exportResponse);
    if (!flags)
        return ShowUsage;
    return StatusWithoutExitCodes(RunForm(form, exportResponse, *flags, RunOptions{}).report, false);
}

int RunCommandLine(int argc, char** argv)
{
    const std::uint64_t started = GetTickCount64();
    Cancellation& cancellation = Cancellation::Install();
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
                      std::strcmp(argv[1], "/?") == 0)) {
        PrintHelp();
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("Verimark %s\n", VERIMARK_VERSION);
        std::fflush(stdout);
        return 0;
    }
    ToolOptions options;
    const std::optional<std::vector<char*>> form = ReadOptions(argc, argv, options);
    const std::size_t n = form ? form->size() : 0;
    const char* option = n >= 2 ? (*form)[1] : "";
    const bool dForm = n == 2 && std::strcmp(option, "-d") == 0;
    const bool cForm = (n == 4 || n == 5) && std::strcmp(option, "-c") == 0;
    const bool xForm = (n == 5 || n == 6) && std::strcmp(option, "-x") == 0;
    std::optional<std::int32_t> flags;
    if (dForm)
        flags = 0;
    else if (cForm || xForm)
        flags = FlagsArgument(*form, xForm);
    if (!flags) {
        // Standard output is the document's with --json: the usage text goes to standard error.
        PrintUsageTo(options.json ? stderr : stdout);
        if (options.json) {
            RunRecord record;
            record.started = record.ended = UtcNow();
            record.report.outcome = UsageNotUnderstood();
            WriteJson(JsonDocument(record));
        }
        return options.exitCodes ? static_cast<int>(ExitStatus::Usage) : ExitUsage;
    }
    RunOptions runOptions;
    runOptions.json = options.json;
    runOptions.timeoutSeconds = options.timeoutSeconds;
    runOptions.started = started;
    runOptions.cancellation = &cancellation;
    const RunRecord run = RunForm(*form, xForm, *flags, runOptions);
    if (options.json)
        WriteJson(JsonDocument(run));
    cancellation.Finished();
    return options.exitCodes ? static_cast<int>(run.report.outcome.status) : StatusWithoutExitCodes(run.report, dForm);
}
