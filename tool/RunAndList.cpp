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

std::int32_t RunAndList(_bstr_t url, _bstr_t document, std::int32_t flags, bool exportResponse, _bstr_t outputPath)
{
    const std::int32_t opened = COMPLIANCE_Open(url, document, flags);
    if (opened != ComplianceResult::Success) {
        std::printf("COMPLIANCE_Open returned error: %d", opened);
        EndLine();
        return RunCompleted;
    }
    std::int32_t outcome = RunCompleted;
    std::int32_t percent = 0, error = 0;
    std::int32_t progress = COMPLIANCE_Progress(percent, error);
    while (progress == ComplianceResult::ProgressRunning) {
        std::printf("COMPLIANCE_Progress %u%% completed.", static_cast<unsigned>(percent));
        EndLine();
        Pause(1000);
        progress = COMPLIANCE_Progress(percent, error);
    }
    if (progress == ComplianceResult::ProgressComplete) {
        if (exportResponse) {
            try {
                ExportResponseFile(outputPath);
            } catch (const std::exception& e) {
                const char* path = static_cast<const char*>(outputPath);
                std::fprintf(stderr, "Error: could not export the response to \"%s\": %s\n", path ? path : "",
                             ExportFailureReason(e).c_str());
                std::fflush(stderr);
                outcome = RunExportFailed;
            }
        }
        const std::int32_t count = COMPLIANCE_ResultCount();
        std::printf("COMPLIANCE_ResultCount is %d", count);
        EndLine();
        for (std::int32_t index = 0; index < count; ++index) {
            _bstr_t designator, result, resultType, evaluationTime, description, comment;
            const std::int32_t got =
                COMPLIANCE_GetResult(index, designator, result, resultType, evaluationTime, description, comment);
            if (got == ComplianceResult::TextNotUtf8) {
                COMPLIANCE_Close();
                return RunInvalidUtf8;
            }
            if (got != ComplianceResult::Success)
                continue;
            PrintLabelled("    Designator: ", designator);
            PrintLabelled("        Result: ", result);
            PrintLabelled("   Result Type: ", resultType);
            PrintLabelled("Eval Time (\xB5s): ", evaluationTime);
            PrintLabelled("          Desc: ", description);
            PrintLabelled("       Comment: ", comment);
            EndLine();
        }
    } else if (progress == ComplianceResult::ProgressError) {
        if (error == ComplianceResult::AgentReportsNotAvailable)
            std::fputs("Client reports not available right now.", stdout);
        else
            std::printf("COMPLIANCE_Progress returned error %d.", error);
        EndLine();
    } else {
        // A failure told through the result, not the error output: standard output stays
        // as it is, but the user learns that the run ended without results.
        std::fprintf(stderr, "Error: COMPLIANCE_Progress failed with %d; there are no results%s.\n", progress,
                     exportResponse ? " and nothing was exported" : "");
        std::fflush(stderr);
    }
    COMPLIANCE_Close();
    return outcome;
}
