#include "tool/Listing.h"

#include "compliance/ResultCodes.h"
#include "text/Bstr.h"

#include <algorithm>

namespace {

// Standard output's console, when it is one.
HANDLE OutputConsole()
{
    static const HANDLE console = [] {
        const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
        DWORD mode = 0;
        return output != INVALID_HANDLE_VALUE && output && GetConsoleMode(output, &mode) ? output : nullptr;
    }();
    return console;
}

bool Shown(wchar_t c) { return c == L'\t' || (c >= 0x20 && c < 0x7F) || c > 0x9F; }

void PutText(const _bstr_t& original)
{
    const std::wstring_view view = View(original);
    if (const HANDLE console = OutputConsole()) {
        const std::wstring shown = ListingText(view);
        std::wstring_view text = shown;
        std::fflush(stdout);
        while (!text.empty()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 16384));
            if (!WriteConsoleW(console, text.data(), chunk, &written, nullptr) || written == 0)
                break;
            text.remove_prefix(written);
        }
        return;
    }
    // The wrapper's narrow form: the ANSI code page, with its replacement for what it lacks.
    // Most texts have nothing to escape and go out as they always did.
    const bool plain = std::all_of(view.begin(), view.end(), Shown);
    const _bstr_t escaped = plain ? _bstr_t() : _bstr_t(ListingText(view).c_str());
    if (const char* narrow = static_cast<const char*>(plain ? original : escaped))
        std::fputs(narrow, stdout);
}

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
        PutText(texts[i]);
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

std::wstring ListingText(std::wstring_view text)
{
    std::wstring shown;
    shown.reserve(text.size());
    for (const wchar_t c : text) {
        if (Shown(c)) {
            shown += c;
        } else if (c == L'\r') {
            shown += L"\\r";
        } else if (c == L'\n') {
            shown += L"\\n";
        } else {
            static constexpr wchar_t digits[] = L"0123456789abcdef";
            shown += L"\\x";
            shown += digits[(c >> 4) & 0xF];
            shown += digits[c & 0xF];
        }
    }
    return shown;
}
