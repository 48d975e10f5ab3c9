#include "run/PrometheusReport.h"

#include "text/Transcoding.h"
#include "text/Win32.h"

#include <cstdio>
#include <string>

namespace {

// A label's value: backslash, double quote and line feed escaped as the format says.
std::string LabelValue(std::string_view text)
{
    std::string value;
    for (const char c : text) {
        if (c == '\\')
            value += "\\\\";
        else if (c == '"')
            value += "\\\"";
        else if (c == '\n')
            value += "\\n";
        else
            value += c;
    }
    return value;
}

// Seconds since 1970 of a "2026-12-09T08:30:05.123Z" time; 0 when it is no such time.
double EpochSeconds(const std::string& utc)
{
    SYSTEMTIME t{};
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
    if (std::sscanf(utc.c_str(), "%4u-%2u-%2uT%2u:%2u:%2u.%3uZ", &year, &month, &day, &hour, &minute, &second,
                    &millisecond) != 7)
        return 0;
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    t.wMilliseconds = static_cast<WORD>(millisecond);
    FILETIME file;
    if (!SystemTimeToFileTime(&t, &file))
        return 0;
    const std::uint64_t ticks = (std::uint64_t{file.dwHighDateTime} << 32) | file.dwLowDateTime;
    return static_cast<double>(ticks - 116444736000000000ULL) / 1e7;  // from 1601 to 1970
}

std::string Number(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

}  // namespace

void WritePrometheusDocument(const RunRecord& run, const ItemSource&, ReportSink& sink)
{
    const RunReport& report = run.report;
    const std::string document = "document=\"" + LabelValue(NarrowReplacing(View(report.request.document))) + "\"";
    const auto metric = [&](const char* name, const char* help, const std::string& labels, const std::string& value,
                            bool first = true) {
        if (first)
            sink.Write(std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " gauge\n");
        sink.Write(std::string(name) + "{" + labels + "} " + value + "\n");
    };
    const ItemCounts& counts = report.items;
    metric("verimark_items", "Items of the last evaluation, by status (passed, failed, error).",
           document + ",status=\"passed\"", std::to_string(counts.passed));
    metric("verimark_items", "", document + ",status=\"failed\"", std::to_string(counts.failed), false);
    metric("verimark_items", "", document + ",status=\"error\"", std::to_string(counts.errors), false);
    metric("verimark_exit_status", "The exit status of the last run (0 compliant; see Verimark --help).", document,
           std::to_string(static_cast<int>(report.outcome.status)));
    metric("verimark_compliant", "1 when the last run found every check passed, else 0.", document,
           report.outcome.status == ExitStatus::Compliant ? "1" : "0");
    metric("verimark_last_run_end_timestamp_seconds", "When the last run ended, in seconds since 1970 (UTC).", document,
           Number(EpochSeconds(run.ended)));
    metric("verimark_last_run_duration_seconds", "How long the last run took, in seconds.", document,
           Number(static_cast<double>(report.milliseconds) / 1000.0));
}
