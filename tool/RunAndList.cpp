#include "tool/RunAndList.h"

#include "compliance/ComplianceApi.h"
#include "compliance/ComplianceSession.h"
#include "errors/ExceptionPL.h"
#include "errors/WindowsError.h"
#include "files/FileCopy.h"
#include "files/FileIOError.h"
#include "files/FileIdentity.h"
#include "files/Sleeper.h"
#include "text/CodePageConversion.h"
#include "text/Transcoding.h"
#include "tool/Cancellation.h"

#include <cstdio>
#include <string>

namespace {

// Lines appear as they happen: every line end is flushed.
void EndLine()
{
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void PrintLabelled(const char* label, const _bstr_t& text)
{
    std::fputs(label, stdout);
    // The wrapper's narrow form: the ANSI code page, with its replacement for what it lacks.
    if (const char* narrow = static_cast<const char*>(text))
        std::fputs(narrow, stdout);
    EndLine();
}

// "the system's reason" for a failed export, as one line.
std::string ExportFailureReason(const std::exception& e)
{
    if (const auto* file = dynamic_cast<const FileIOError*>(&e); file && file->Code() != 0)
        return std::string(ConvertUTF8ToACP(SystemMessageText(file->Code())).StringView());
    return e.what();
}

}  // namespace

void ExportResponseFile(const _bstr_t& outputPath)
{
    const wchar_t* wide = static_cast<const wchar_t*>(outputPath);
    const FileLocation target(TranscodeU16ToU8({wide, wide ? wide + outputPath.length() : wide}));
    const ComplianceSession& session = ComplianceSession::Process();
    // Whatever is at the output path stays until a complete copy replaces it; a directory
    // is never replaced, and the agent's own answer (by whatever name) never touched.
    const std::uint32_t attributes = target.Attributes();
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw ExceptionPL(U8String("it is a directory"));
    if (const std::optional<FileLocation> answer = session.ResponseLocation(); answer && SameFile(target, *answer))
        throw ExceptionPL(U8String("it is the agent's response document itself"));
    SilentFileRetryLog log;
    WriteFileIntoPlace(target, [&](DataReceiver& sink) { session.CopyResponse(sink); }, log);
}

namespace {

// Standard output carries the listing as it always has; with --json it carries only the
// document, and what would have gone there as the run went on goes to standard error.
class Run {
public:
    explicit Run(const RunOptions& options) : options_(options), progress_(options.json ? stderr : stdout) {}

    void ProgressLine(std::int32_t percent)
    {
        std::fprintf(progress_, "COMPLIANCE_Progress %u%% completed.", static_cast<unsigned>(percent));
        std::fputc('\n', progress_);
        std::fflush(progress_);
    }
    // A line of the listing, which --json leaves out.
    void Listing(const char* text)
    {
        if (options_.json)
            return;
        std::fputs(text, stdout);
        EndLine();
    }
    void Item(_bstr_t (&texts)[6]);
    // Stops between polls for up to a second: false when the time limit has run out or a
    // stop was requested instead (what happened is in the report then).
    bool Pause();
    bool Stopped();

    RunReport report;

private:
    std::optional<std::uint64_t> Remaining() const;

    const RunOptions& options_;
    FILE* progress_;
};

void Run::Item(_bstr_t (&texts)[6])
{
    static const char* const labels[6] = {"    Designator: ", "        Result: ", "   Result Type: ",
                                          "Eval Time (\xB5s): ", "          Desc: ", "       Comment: "};
    ++report.total;
    const wchar_t* result = static_cast<const wchar_t*>(texts[1]);
    const std::wstring_view view = result ? std::wstring_view(result, texts[1].length()) : std::wstring_view();
    ++(view == L"True" ? report.passed : view == L"False" ? report.failed : report.errors);
    if (options_.json) {
        auto utf8 = [](const _bstr_t& text) {
            const wchar_t* wide = static_cast<const wchar_t*>(text);
            return wide ? std::string(TranscodeU16ToU8({wide, wide + text.length()}).StringView()) : std::string();
        };
        report.items.push_back({utf8(texts[0]), utf8(texts[1]), utf8(texts[2]), utf8(texts[3]), utf8(texts[4]),
                                utf8(texts[5])});
        return;
    }
    for (int i = 0; i < 6; ++i)
        PrintLabelled(labels[i], texts[i]);
    EndLine();
}

std::optional<std::uint64_t> Run::Remaining() const
{
    if (!options_.timeoutSeconds)
        return std::nullopt;
    const std::uint64_t limit = std::uint64_t{*options_.timeoutSeconds} * 1000, spent = GetTickCount64() - options_.started;
    return spent >= limit ? 0 : limit - spent;
}

bool Run::Stopped()
{
    if (options_.cancellation && options_.cancellation->Requested()) {
        report.outcome = Cancelled();
        return true;
    }
    if (const std::optional<std::uint64_t> remaining = Remaining(); remaining && *remaining == 0) {
        report.outcome = TimedOut(*options_.timeoutSeconds);
        return true;
    }
    return false;
}

bool Run::Pause()
{
    if (Stopped())
        return false;
    std::uint32_t pause = 1000;
    if (const std::optional<std::uint64_t> remaining = Remaining(); remaining && *remaining < pause)
        pause = static_cast<std::uint32_t>(*remaining);
    if (options_.cancellation)
        options_.cancellation->Wait(pause);
    else
        ::Pause(pause);
    return !Stopped();
}

void TellFailure(const Outcome& outcome)
{
    const std::string line = ExplanationLine(outcome);
    const std::string ansi(ConvertUTF8ToACP(U8String(std::string_view(line))).StringView());
    std::fprintf(stderr, "%s\n", ansi.c_str());
    std::fflush(stderr);
}

std::string Utf8FromAnsi(const char* text)
{
    return std::string(ConvertACPToUTF8(U8String(std::string_view(text ? text : ""))).StringView());
}

}  // namespace

RunReport RunSession(_bstr_t url, _bstr_t document, std::int32_t flags, bool exportResponse, _bstr_t outputPath,
                     const RunOptions& options)
{
    Run run(options);
    RunReport& report = run.report;
    const std::int32_t opened = COMPLIANCE_Open(url, document, flags);
    if (opened != ComplianceResult::Success) {
        if (!options.json) {
            std::printf("COMPLIANCE_Open returned error: %d", opened);
            EndLine();
        }
        report.outcome = OpenFailed(opened);
        TellFailure(report.outcome);
        return report;
    }
    bool stopped = run.Stopped();
    std::int32_t percent = 0, error = 0;
    std::int32_t progress = stopped ? ComplianceResult::ProgressRunning : COMPLIANCE_Progress(percent, error);
    while (!stopped && progress == ComplianceResult::ProgressRunning) {
        run.ProgressLine(percent);
        if (!run.Pause()) {
            stopped = true;
            break;
        }
        progress = COMPLIANCE_Progress(percent, error);
    }
    if (stopped) {
        TellFailure(report.outcome);
    } else if (progress == ComplianceResult::ProgressComplete) {
        report.outcome = Completed(true);
        if (exportResponse) {
            try {
                ExportResponseFile(outputPath);
                report.exportWritten = true;
            } catch (const std::exception& e) {
                const char* path = static_cast<const char*>(outputPath);
                const std::string reason = ExportFailureReason(e);
                std::fprintf(stderr, "Error: could not export the response to \"%s\": %s\n", path ? path : "",
                             reason.c_str());
                std::fflush(stderr);
                report.outcome = ExportFailed(Utf8FromAnsi(path), Utf8FromAnsi(reason.c_str()));
            }
        }
        const std::int32_t count = COMPLIANCE_ResultCount();
        if (!options.json) {
            std::printf("COMPLIANCE_ResultCount is %d", count);
            EndLine();
        }
        for (std::int32_t index = 0; index < count; ++index) {
            if (options.cancellation && options.cancellation->Requested()) {
                report.outcome = Cancelled();
                TellFailure(report.outcome);
                break;
            }
            _bstr_t texts[6];
            const std::int32_t got =
                COMPLIANCE_GetResult(index, texts[0], texts[1], texts[2], texts[3], texts[4], texts[5]);
            if (got == ComplianceResult::TextNotUtf8) {
                report.outcome = InvalidResultText();
                COMPLIANCE_Close();
                return report;
            }
            if (got == ComplianceResult::Success)
                run.Item(texts);
        }
        if (report.outcome.status == ExitStatus::Compliant && report.passed != report.total)
            report.outcome = Completed(false);
    } else if (progress == ComplianceResult::ProgressError) {
        if (!options.json) {
            if (error == ComplianceResult::AgentReportsNotAvailable)
                std::fputs("Client reports not available right now.", stdout);
            else
                std::printf("COMPLIANCE_Progress returned error %d.", error);
            EndLine();
        }
        report.outcome = ProgressError(error, ComplianceSession::Process().LastErrorFromAgent());
        TellFailure(report.outcome);
    } else {
        // A failure told through the result, not the error output: standard output stays
        // as it is, but the user learns that the run ended without results.
        std::fprintf(stderr, "Error: COMPLIANCE_Progress failed with %d; there are no results%s.\n", progress,
                     exportResponse ? " and nothing was exported" : "");
        std::fflush(stderr);
        report.outcome = ProgressFailed(progress);
    }
    COMPLIANCE_Close();
    return report;
}

std::int32_t RunAndList(_bstr_t url, _bstr_t document, std::int32_t flags, bool exportResponse, _bstr_t outputPath)
{
    const RunReport report = RunSession(url, document, flags, exportResponse, outputPath, RunOptions{});
    switch (report.outcome.status) {
    case ExitStatus::InvalidText:
        return RunInvalidUtf8;
    case ExitStatus::ExportFailed:
        return RunExportFailed;
    default:
        return RunCompleted;
    }
}
