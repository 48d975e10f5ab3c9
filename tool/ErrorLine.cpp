#include "tool/ErrorLine.h"

#include "text/CodePageConversion.h"

#include <cstdio>
#include <string>

namespace {

void WriteLine(const std::string& line)
{
    const std::string ansi(ConvertUTF8ToACP(U8String(std::string_view(line))).StringView());
    std::fprintf(stderr, "%s\n", ansi.c_str());
    std::fflush(stderr);
}

}  // namespace

void WriteErrorLine(const Outcome& outcome, bool dForm)
{
    if (!outcome.failed)
        return;
    std::string line;
    switch (outcome.status) {
    case ExitStatus::InvalidText:
        if (dForm)
            return;
        line = "Error: XML is not valid UTF-8.";
        break;
    case ExitStatus::ExportFailed:
        line = "Error: " + outcome.message;
        break;
    default:
        line = ExplanationLine(outcome);
    }
    WriteLine(line);
}

void WriteWarningLine(const std::string& words) { WriteLine("Verimark: warning: " + words); }
