#include "tool/Listing.h"

#include "compliance/ResultCodes.h"

namespace {

void EndLine(FILE* stream)
{
    std::fputc('\n', stream);
    std::fflush(stream);
}

void PrintProgress(FILE* stream, std::int32_t percent)
{
    std::fprintf(stream, "COMPLIANCE_Progress %u%% completed.", static_cast<unsigned>(percent));
    EndLine(stream);
}

}  // namespace

void ListingPresenter::OpenFailed(std::int32_t code)
{
    std::printf("COMPLIANCE_Open returned error: %d", code);
    EndLine(stdout);
}

void ListingPresenter::Progress(std::int32_t percent)
{
    if (!quiet_)
        PrintProgress(stdout, percent);
}

void ListingPresenter::Count(std::int32_t count)
{
    std::printf("COMPLIANCE_ResultCount is %d", count);
    EndLine(stdout);
}

void ListingPresenter::Item(const _bstr_t (&texts)[6])
{
    static const char* const labels[6] = {"    Designator: ", "        Result: ", "   Result Type: ",
                                          "Eval Time (\xB5s): ", "          Desc: ", "       Comment: "};
    for (int i = 0; i < 6; ++i) {
        std::fputs(labels[i], stdout);
        // The wrapper's narrow form: the ANSI code page, with its replacement for what it lacks.
        if (const char* narrow = static_cast<const char*>(texts[i]))
            std::fputs(narrow, stdout);
        EndLine(stdout);
    }
    EndLine(stdout);
}

void ListingPresenter::ProgressError(std::int32_t error)
{
    if (error == ComplianceResult::AgentReportsNotAvailable)
        std::fputs("Client reports not available right now.", stdout);
    else
        std::printf("COMPLIANCE_Progress returned error %d.", error);
    EndLine(stdout);
}

void ProgressPresenter::Progress(std::int32_t percent)
{
    PrintProgress(stream_, percent);
}
