#include "tool/CommandLine.h"

#include "compliance/ResultCodes.h"
#include "tool/Arguments.h"
#include "tool/Cancellation.h"
#include "tool/ErrorLine.h"
#include "run/ExitStatus.h"
#include "run/ItemSpool.h"
#include "run/JsonReport.h"
#include "tool/ReadinessCheck.h"
#include "run/ReportFiles.h"
#include "run/ResponseExport.h"
#include "text/Transcoding.h"

#include <cstdio>
#include <optional>

#ifndef VERIMARK_VERSION
#error "the build defines VERIMARK_VERSION"
#endif

namespace {

// The exit statuses without --exit-codes (the low byte reaches a shell: -1 is 255, -2 is 254).
constexpr int ExitRan = 0;            // a session ran (its failures are on standard output)
constexpr int ExitUsage = -1;         // the usage text, or a result text that is not UTF-8
// Not an exit status: the arguments do not match a form, the usage text follows.
constexpr int ShowUsage = 1;

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
    std::printf("  options, anywhere on the command line (after \"--\" nothing is an option):\n");
    std::printf("    --json              one JSON document in UTF-8 on standard output, written as the run\n");
    std::printf("                        goes; progress lines go to standard error; implies --exit-codes\n");
    std::printf("    --exit-codes        end with the exit statuses below\n");
    std::printf("    --check             look at what stands in the way of a run (agent, version, directories,\n");
    std::printf("                        lock, a waiting request), one line each, and end with the status a run\n");
    std::printf("                        would get now; runs nothing (Verimark --check, alone); with --json or\n");
    std::printf("                        --output json:PATH, as one JSON document\n");
    std::printf("    --output FORMAT:PATH  also write a report file, FORMAT json, junit, html, csv or prom\n");
    std::printf("                        (the Prometheus text format); repeatable\n");
    std::printf("    --quiet             no progress lines; standard error only when the evaluation did not\n");
    std::printf("                        complete (its one line of explanation)\n");
    std::printf("    --wait-lock <seconds> wait that long at most (within --timeout) for another session on\n");
    std::printf("                        this machine to end, then end with 6 as without it\n");
    std::printf("    --timeout <seconds> bound the whole run: at the limit, close the session (2 s at most)\n");
    std::printf("                        and end with 10\n");
    std::printf("  with an option, the flags must be a decimal number from 0 to 15, and an unknown\n");
    std::printf("  --option is refused (status 2)\n");
    std::printf("  and on their own: Verimark --help (or -h, /?), Verimark --version\n");
    std::printf("  exit statuses with --exit-codes (and --json):\n");
    for (const ExitStatusMeaning& row : exitStatusTable)
        std::printf("    %2d  %s\n", static_cast<int>(row.status), row.meaning);
    std::fflush(stdout);
}

// The status a run ends with without --exit-codes: what the form gives (a session ran, the
// usage text, a text that is not UTF-8, a failed export), except that a stop on request
// ends as an interrupted console program does, and a time limit and a failure of the
// tool's own with their statuses.
int StatusWithoutExitCodes(const Outcome& outcome, int formStatus)
{
    switch (outcome.status) {
    case ExitStatus::Cancelled:
        return static_cast<int>(STATUS_CONTROL_C_EXIT);
    case ExitStatus::TimedOut:
    case ExitStatus::Unexpected:
        return static_cast<int>(outcome.status);
    default:
        return formStatus;
    }
}

}  // namespace

void PrintUsage()
{
    PrintUsageTo(stdout);
}

int RunFromArguments(const std::vector<std::wstring>& form, bool exportResponse, const RunSettings& settings,
                     bool strict, std::string& error, RunReport* report)
{
    const std::optional<std::int32_t> flags = FlagsArgument(form, exportResponse, strict, error);
    if (!flags)
        return ShowUsage;
    const _bstr_t outputPath = exportResponse ? _bstr_t(form[4].c_str()) : _bstr_t();
    const std::int32_t ran =
        RunAndList(_bstr_t(form[2].c_str()), _bstr_t(form[3].c_str()), *flags, exportResponse, outputPath, settings, report);
    return ran == RunInvalidUtf8 ? ExitUsage : ran;
}

int RunCommandLine(const std::vector<std::wstring>& argv)
{
    Cancellation& cancellation = Cancellation::Install();
    const ScopedSleeper waits(cancellation);
    const std::uint64_t started = cancellation.Now();
    if (argv.size() == 2 && (argv[1] == L"--help" || argv[1] == L"-h" || argv[1] == L"/?")) {
        PrintHelp();
        return 0;
    }
    if (argv.size() == 2 && argv[1] == L"--version") {
        std::printf("Verimark %s\n", VERIMARK_VERSION);
        std::fflush(stdout);
        return 0;
    }
    Arguments arguments = ReadArguments(argv);
    const ToolOptions& options = arguments.options;
    const std::vector<std::wstring>& form = arguments.form;
    const std::size_t n = form.size();
    const std::wstring option = n >= 2 ? form[1] : L"";
    const bool dForm = n == 2 && option == L"-d";
    const bool cForm = (n == 4 || n == 5) && option == L"-c";
    const bool xForm = (n == 5 || n == 6) && option == L"-x";
    if (options.check && arguments.error.empty() && n != 1)
        arguments.error = "--check stands alone: it runs no evaluation";
    if (options.check && arguments.error.empty())
        for (const ReportOutput& output : options.outputs)
            if (output.format != ReportOutput::Format::Json)
                arguments.error = "--check writes its look as json only (--output json:PATH)";
    if (options.check && arguments.error.empty()) {
        const ReadinessReport readiness = CheckReadiness();
        if (options.json) {
            StandardOutputSink sink;
            WriteReadinessDocument(readiness, sink);
            sink.Write("\n");
        } else {
            for (const std::string& line : readiness.lines)
                std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        }
        int status = static_cast<int>(readiness.status);
        for (const ReportOutput& output : options.outputs) {
            try {
                ExportAnswer(_bstr_t(output.path.c_str()), std::nullopt, [&](DataReceiver& receiver) {
                    receiver.Begin();
                    ReceiverSink sink(receiver);
                    WriteReadinessDocument(readiness, sink);
                    sink.Write("\n");
                    sink.Flush();
                    receiver.End();
                });
            } catch (const std::exception& e) {
                WriteErrorLine(ReportFailed(NarrowReplacing(output.path), FailureReason(e)), false);
                status = static_cast<int>(ExitStatus::ExportFailed);
            }
        }
        cancellation.Finished();
        return status;
    }

    RunRecord record;
    record.started = UtcNow();
    RunSettings settings;
    settings.json = options.json;
    settings.quiet = options.quiet;
    settings.limits.timeoutSeconds = options.timeoutSeconds;
    settings.limits.waitLockSeconds = options.waitLockSeconds;
    settings.limits.started = started;
    // The JSON document goes out from the start; the items wait in a spool until the
    // session is closed, then go to the listing or the document, and to the report files.
    std::optional<StandardOutputSink> standardOutput;
    std::optional<JsonReportWriter> json;
    if (options.json)
        settings.document = &json.emplace(standardOutput.emplace(), record.started);
    int formStatus = ShowUsage;
    std::optional<ItemSpool> spool;
    try {
        settings.store = &spool.emplace();
        if (arguments.error.empty()) {
            if (dForm) {
                RunAndList(L"", L"", 0, false, _bstr_t(), settings, &record.report);
                formStatus = ExitRan;
            } else if (cForm || xForm) {
                formStatus = RunFromArguments(form, xForm, settings, options.any, arguments.error, &record.report);
            }
        }
    } catch (const std::exception& e) {
        // The driver has closed any session it opened; what failed is told as the run's end.
        record.report.outcome = Unexpected(FailureReason(e));
        formStatus = ExitRan;
    }
    if (formStatus == ShowUsage) {
        // Standard output is the document's with --json: the usage text goes to standard error.
        // With --quiet there is no usage text, only the one line that says what was wrong.
        if (!options.quiet)
            PrintUsageTo(options.json ? stderr : stdout);
        record.report.outcome = UsageNotUnderstood(arguments.error);
        record.report.outcome.failed = record.report.outcome.failed || options.quiet;
        formStatus = ExitUsage;
    }
    record.ended = UtcNow();
    // The report files tell any outcome. One that cannot be written fails a run that
    // completed, as a failed export does; every one that could not be written gets its line
    // on standard error, whatever the run's outcome.
    std::vector<Outcome> reportsFailed;
    if (!options.outputs.empty() && spool)
        reportsFailed = WriteReports(record, *spool, options.outputs);
    std::size_t told = 0;
    if (!reportsFailed.empty() && CompletedStatus(record.report.outcome.status)) {
        record.report.outcome = reportsFailed.front();
        told = 1;  // the run's own line tells it
    }
    // Directories the run went on with although others may write there, and a temporary
    // folder the items could not be kept in: said once each.
    if (!options.quiet) {
        if (record.report.outcome.code != ComplianceResult::DirectoryOpenToOthers)
            for (const DirectoryOpenToOthers& directory : record.report.openToOthers)
                WriteWarningLine(OpenToOthersWarning(directory));
        if (spool)
            if (const std::optional<std::string> words = spool->FileFailureWords())
                WriteWarningLine(*words);
    }
    WriteErrorLine(record.report.outcome, dForm);
    for (std::size_t i = told; i < reportsFailed.size(); ++i)
        WriteErrorLine(reportsFailed[i], dForm);
    if (json) {
        json->End(record);
        standardOutput->Write("\n");
    }
    cancellation.Finished();
    return options.exitCodes ? static_cast<int>(record.report.outcome.status)
                             : StatusWithoutExitCodes(record.report.outcome, formStatus);
}
