#include "tool/Arguments.h"

#include "text/Transcoding.h"

#include <algorithm>
#include <cwchar>

namespace {

std::string Utf8(const std::wstring& text)
{
    return NarrowReplacing(text);
}

// A word that looks like an option but is not one of ours: a dash, a slash or a dash-like
// character that word processors put for "--" (U+2010 to U+2015, U+2212), then a letter.
bool LooksLikeOption(const std::wstring& text)
{
    if (text.size() < 2)
        return false;
    const wchar_t lead = text[0], next = text[1];
    const bool dash = lead == L'-' || lead == L'/' || (lead >= 0x2010 && lead <= 0x2015) || lead == 0x2212;
    const bool letter = (next >= L'a' && next <= L'z') || (next >= L'A' && next <= L'Z') ||
                        (next >= 0x2010 && next <= 0x2015) || next == L'-';
    return dash && letter;
}

// A whole number of seconds, at least 1 and at most a week, and nothing else.
std::optional<std::uint32_t> Seconds(const std::wstring& text)
{
    std::uint32_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - L'0');
        if (value > 7 * 86400)
            return std::nullopt;
    }
    if (text.empty() || value == 0)
        return std::nullopt;
    return value;
}

// "json:C:\\out\\run.json": the format before the first colon, a path after it.
std::optional<ReportOutput> Output(const std::wstring& text)
{
    const std::size_t colon = text.find(L':');
    if (colon == std::wstring::npos || colon + 1 == text.size())
        return std::nullopt;
    const std::wstring format = text.substr(0, colon);
    ReportOutput output{ReportOutput::Format::Json, text.substr(colon + 1)};
    if (format == L"junit")
        output.format = ReportOutput::Format::Junit;
    else if (format == L"html")
        output.format = ReportOutput::Format::Html;
    else if (format == L"csv")
        output.format = ReportOutput::Format::Csv;
    else if (format == L"prom")
        output.format = ReportOutput::Format::Prom;
    else if (format != L"json")
        return std::nullopt;
    return output;
}

}  // namespace

Arguments ReadArguments(const std::vector<std::wstring>& argv)
{
    Arguments read;
    if (argv.empty())
        return read;
    read.form.push_back(argv[0]);
    bool optionsEnded = false;
    for (std::size_t i = 1; i < argv.size(); ++i) {
        const std::wstring& a = argv[i];
        if (optionsEnded || a.size() < 2 || a.compare(0, 2, L"--") != 0) {
            read.form.push_back(a);
            continue;
        }
        read.options.any = true;
        if (a == L"--") {
            optionsEnded = true;
        } else if (a == L"--json") {
            read.options.json = read.options.exitCodes = true;
        } else if (a == L"--exit-codes") {
            read.options.exitCodes = true;
        } else if (a == L"--check") {
            read.options.check = true;
        } else if (a == L"--quiet") {
            read.options.quiet = true;
        } else if (a == L"--output") {
            const std::optional<ReportOutput> output = i + 1 < argv.size() ? Output(argv[i + 1]) : std::nullopt;
            if (!output) {
                if (read.error.empty())
                    read.error = i + 1 < argv.size() ? "--output takes FORMAT:PATH, FORMAT json, junit, html, csv or prom, not \"" +
                                                           Utf8(argv[i + 1]) + "\""
                                                     : "--output takes FORMAT:PATH";
                continue;
            }
            read.options.outputs.push_back(*output);
            ++i;
        } else if (a == L"--wait-lock" || a == L"--timeout") {
            const std::optional<std::uint32_t> seconds = i + 1 < argv.size() ? Seconds(argv[i + 1]) : std::nullopt;
            if (!seconds) {
                if (read.error.empty())
                    read.error = Utf8(a) + (i + 1 < argv.size() ? " takes a whole number of seconds from 1 to 604800, not \"" +
                                                                      Utf8(argv[i + 1]) + "\""
                                                                : std::string(" takes a number of seconds"));
                continue;
            }
            (a == L"--timeout" ? read.options.timeoutSeconds : read.options.waitLockSeconds) = seconds;
            ++i;
        } else if (read.error.empty()) {
            read.error = "unknown option " + Utf8(a);
        }
    }
    // Text that is not valid UTF-16 could reach neither the agent nor a file name intact.
    for (std::size_t i = 1; i < argv.size() && read.error.empty(); ++i)
        if (const std::optional<std::size_t> at = FirstUnpairedSurrogate(argv[i]))
            read.error = "argument " + std::to_string(i) +
                         " is not valid text: it holds an unpaired surrogate at character " + std::to_string(*at + 1);
    return read;
}

std::int32_t DecimalArgument(const wchar_t* text)
{
    // wcstol saturates where the runtime's int reading is undefined; both read the same digits.
    return static_cast<std::int32_t>(std::wcstol(text, nullptr, 10));
}

std::optional<std::int32_t> FlagsArgument(const std::vector<std::wstring>& form, bool exportResponse, bool strict,
                                          std::string& error)
{
    const std::size_t flagsIndex = exportResponse ? 5 : 4;
    if (form.size() != flagsIndex + 1)
        return 0;
    const std::wstring& text = form[flagsIndex];
    if (LooksLikeOption(text)) {
        error = "\"" + Utf8(text) + "\" stands where the flags go and is not a number: options begin with \"--\"";
        return std::nullopt;
    }
    if (strict) {
        std::uint32_t value = 0;
        bool digits = !text.empty();
        for (const wchar_t c : text) {
            digits = digits && c >= L'0' && c <= L'9';
            if (digits)
                value = std::min<std::uint32_t>(value * 10 + static_cast<std::uint32_t>(c - L'0'), maximumFlags + 1);
        }
        if (!digits || value > maximumFlags) {
            error = "the flags argument must be a number from 0 to 15, not \"" + Utf8(text) + "\"";
            return std::nullopt;
        }
        return static_cast<std::int32_t>(value);
    }
    const std::int32_t flags = DecimalArgument(text.c_str());
    if (static_cast<std::uint32_t>(flags) > maximumFlags)
        return std::nullopt;
    return flags;
}
