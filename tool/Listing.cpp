#include "tool/Listing.h"

#include "compliance/ResultCodes.h"
#include "text/SystemConversion.h"
#include "text/Win32.h"

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

// UTF-8 as UTF-16; the driver took only well-formed texts, and anything else would show
// as U+FFFD.
std::wstring Utf16(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int units = SystemConversion::UnitCount(utf8.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), units, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), units, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

// The ANSI code page's form of a text, with its replacement for what it lacks, up to the
// first NUL: what the platform's BSTR wrapper gave the listing.
void PutAnsi(std::wstring_view text)
{
    if (text.empty())
        return;
    const int units = SystemConversion::UnitCount(text.size());
    std::string narrow(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, text.data(), units, nullptr, 0, nullptr,
                                                                     nullptr)),
                       '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), units, narrow.data(), static_cast<int>(narrow.size()), nullptr, nullptr);
    std::fputs(narrow.c_str(), stdout);
}

void PutText(std::string_view utf8)
{
    const std::wstring original = Utf16(utf8);
    const std::wstring_view view = original;
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
    // Most texts have nothing to escape and go out as they always did.
    if (std::all_of(view.begin(), view.end(), Shown))
        PutAnsi(view);
    else
        PutAnsi(ListingText(view));
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

void ListingPresenter::Item(const ListedItem& item)
{
    if (!item.problem.empty())
        return;
    static const char* const labels[ListedItem::fieldCount] = {"    Designator: ", "        Result: ", "   Result Type: ",
                                                               "Eval Time (\xB5s): ", "          Desc: ", "       Comment: "};
    const auto fields = item.Fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::fputs(labels[i], stdout);
        PutText(*fields[i]);
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
