#include "run/HtmlReport.h"

#include "text/Transcoding.h"
#include "run/ItemStatus.h"
#include "run/MarkupText.h"
#include "text/Win32.h"

#include <cstdio>

namespace {

std::string Fact(const char* name, const std::string& value)
{
    return "<tr><th scope=\"row\">" + std::string(name) + "</th><td>" + MarkupText(value) + "</td></tr>\n";
}

// A horizontal bar of the three counts, each part as wide as its share, with its legend.
std::string CountsPicture(std::size_t passed, std::size_t failed, std::size_t errors)
{
    const std::size_t total = passed + failed + errors;
    const struct {
        const char* label;
        std::size_t count;
        const char* colour;
    } parts[] = {{"passed", passed, "#2e7d32"}, {"failed", failed, "#c62828"}, {"error", errors, "#ef6c00"}};
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"600\" height=\"70\" role=\"img\" aria-label=\"" +
                      std::to_string(passed) + " passed, " + std::to_string(failed) + " failed, " +
                      std::to_string(errors) + " could not be evaluated\">\n";
    double x = 0;
    for (const auto& part : parts) {
        if (total == 0 || part.count == 0)
            continue;
        const double width = 600.0 * static_cast<double>(part.count) / static_cast<double>(total);
        char rect[160];
        std::snprintf(rect, sizeof rect, "<rect x=\"%.2f\" y=\"0\" width=\"%.2f\" height=\"30\" fill=\"%s\"/>\n", x,
                      width, part.colour);
        svg += rect;
        x += width;
    }
    if (total == 0)
        svg += "<rect x=\"0\" y=\"0\" width=\"600\" height=\"30\" fill=\"#9e9e9e\"/>\n";
    int legend = 0;
    for (const auto& part : parts) {
        svg += "<rect x=\"" + std::to_string(legend) + "\" y=\"44\" width=\"14\" height=\"14\" fill=\"" + part.colour +
               "\"/><text x=\"" + std::to_string(legend + 20) + "\" y=\"56\" font-size=\"14\">" + part.label + " " +
               std::to_string(part.count) + "</text>\n";
        legend += 180;
    }
    return svg + "</svg>\n";
}


// The verdict a person reads first, in a few words.
std::string Verdict(const RunReport& report)
{
    const std::size_t total = report.items.total;
    const auto of = [&](std::size_t n, const char* what) {
        return std::to_string(n) + " of " + std::to_string(total) + (total == 1 ? " check " : " checks ") + what;
    };
    switch (report.outcome.status) {
    case ExitStatus::Compliant:
        return "Compliant";
    case ExitStatus::NotCompliant:
        return "Not compliant: " + of(report.items.failed, "failed");
    case ExitStatus::NotEvaluated:
        return "Compliant where evaluated: " + of(report.items.errors, "could not be evaluated");
    case ExitStatus::NoItems:
        return "Nothing to check: the document has no checks";
    case ExitStatus::NotAllReported:
        return "Not known: " + of(report.unreportedCount, "could not be read");
    case ExitStatus::AgentNotRunning:
    case ExitStatus::NoResponse:
        return "Not evaluated: the agent did not answer";
    case ExitStatus::TimedOut:
        return "Not evaluated: the time limit ran out";
    case ExitStatus::Busy:
        return "Not evaluated: another session was running";
    default:
        return "Not evaluated";
    }
}

// A UTC time of the run ("2026-12-09T08:30:05.123Z") in this machine's local time with its
// offset ("2026-12-09 09:30:05 +01:00"); the text as it is when it is no such time.
std::string LocalTime(const std::string& utc)
{
    SYSTEMTIME t{}, local{};
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
    if (std::sscanf(utc.c_str(), "%4u-%2u-%2uT%2u:%2u:%2u.%3uZ", &year, &month, &day, &hour, &minute, &second,
                    &millisecond) != 7)
        return utc;
    t = {static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day), static_cast<WORD>(hour),
         static_cast<WORD>(minute), static_cast<WORD>(second), static_cast<WORD>(millisecond)};
    FILETIME asUtc, asLocal;
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &t, &local) || !SystemTimeToFileTime(&t, &asUtc) ||
        !SystemTimeToFileTime(&local, &asLocal))
        return utc;
    const auto ticks = [](const FILETIME& f) {
        return static_cast<long long>((std::uint64_t{f.dwHighDateTime} << 32) | f.dwLowDateTime);
    };
    const long long minutes = (ticks(asLocal) - ticks(asUtc)) / 600000000LL;
    char text[48];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u %c%02lld:%02lld", local.wYear, local.wMonth,
                  local.wDay, local.wHour, local.wMinute, local.wSecond, minutes < 0 ? '-' : '+',
                  (minutes < 0 ? -minutes : minutes) / 60, (minutes < 0 ? -minutes : minutes) % 60);
    return text;
}

}  // namespace

void WriteHtmlDocument(const RunRecord& run, const ItemSource& items, ReportSink& sink)
{
    const RunReport& report = run.report;
    const std::string document = NarrowReplacing(View(report.request.document));
    const std::size_t passed = report.items.passed, failed = report.items.failed, errors = report.items.errors;
    const bool completed = CompletedStatus(report.outcome.status);
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.3f s", static_cast<double>(report.milliseconds) / 1000.0);
    std::string facts = Fact("Host", HostName()) + Fact("Document", document) +
                        Fact("URL", NarrowReplacing(View(report.request.url))) +
                        Fact("Agent version", AgentVersionText().value_or("(not recorded)")) +
                        Fact("Started (UTC)", run.started) + Fact("Started (local)", LocalTime(run.started)) +
                        Fact("Ended (UTC)", run.ended) + Fact("Ended (local)", LocalTime(run.ended)) +
                        Fact("Duration", duration) +
                        Fact("Exit status", std::to_string(static_cast<int>(report.outcome.status)));
    if (!completed)
        facts += Fact("Progress when it ended",
                      report.lastPercent ? std::to_string(*report.lastPercent) + "%" : std::string("none reported"));
    const char* verdictClass = report.outcome.status == ExitStatus::Compliant ? "good"
                               : completed                                   ? "bad"
                                                                             : "unknown";
    sink.Write(
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">\n"
        "<title>Verimark: " + MarkupText(document) + "</title>\n"
        "<style>\nbody{font-family:sans-serif;margin:2em;color:#212121}\n"
        "table{border-collapse:collapse;margin:1em 0}\nth,td{border:1px solid #bdbdbd;padding:.3em .6em;text-align:left;"
        "vertical-align:top}\n.facts th{background:#f5f5f5}\n.failed{background:#ffebee}\n.error{background:#fff3e0}\n"
        ".verdict{font-size:1.6em;font-weight:bold;margin:.2em 0}\n.good{color:#2e7d32}\n.bad{color:#c62828}\n"
        ".unknown{color:#ef6c00}\nsummary{font-size:1.2em;cursor:pointer}\nh2{font-size:1.2em}\n</style>\n</head>\n<body>\n"
        "<h1>Verimark: " + MarkupText(document) + "</h1>\n"
        "<p class=\"verdict " + verdictClass + "\" id=\"verdict\">" + MarkupText(Verdict(report)) + "</p>\n"
        "<p class=\"outcome\" id=\"outcome\">" + MarkupText(report.outcome.message) + "</p>\n" +
        CountsPicture(passed, failed, errors) + "<p>" + std::to_string(report.items.total) + " items: " +
        std::to_string(passed) + " passed, " + std::to_string(failed) + " failed, " + std::to_string(errors) +
        " could not be evaluated.</p>\n<table class=\"facts\" id=\"facts\">\n" + facts + "</table>\n");
    // Failed first, then those that could not be evaluated, each group open; the passed
    // folded. Each in the answer's order, one pass over the items for each.
    static constexpr const char* head = "<thead><tr><th>Status</th><th>Designator</th><th>Result</th>"
                                        "<th>Result type</th><th>Description</th><th>Comment</th>"
                                        "<th>Time (&micro;s)</th></tr></thead>\n<tbody>\n";
    for (const ItemStatus shown : {ItemStatus::Failed, ItemStatus::Error, ItemStatus::Passed}) {
        const std::size_t count = shown == ItemStatus::Failed ? failed : shown == ItemStatus::Error ? errors : passed;
        if (count == 0)
            continue;
        const char* mark = shown == ItemStatus::Failed ? "&#10007; failed"
                           : shown == ItemStatus::Error ? "! error"
                                                        : "&#10003; passed";
        const std::string name = StatusName(shown);
        const std::string title = shown == ItemStatus::Failed ? "Failed" : shown == ItemStatus::Error ? "Could not be evaluated" : "Passed";
        if (shown == ItemStatus::Passed)
            sink.Write("<details id=\"passed-items\"><summary>" + title + " (" + std::to_string(count) + ")</summary>\n");
        else
            sink.Write("<h2>" + title + " (" + std::to_string(count) + ")</h2>\n");
        sink.Write("<table class=\"items\" id=\"" + name + "-table\">\n" + head);
        items.ForEach([&](const ListedItem& item) {
            if (StatusOf(item) != shown)
                return;
            // Written in pieces: no text of an item is held escaped whole.
            sink.Write("<tr class=\"" + name + "\"><td>" + mark + "</td>");
            const std::string problem = item.problem.empty() ? std::string() : "not read: " + item.problem;
            for (const std::string* text : {&item.designator, &item.result, &item.resultType, &item.description,
                                            item.problem.empty() ? &item.comment : &problem, &item.evaluationTime}) {
                sink.Write("<td>");
                WriteMarkup(sink, *text);
                sink.Write("</td>");
            }
            sink.Write("</tr>\n");
        });
        sink.Write(shown == ItemStatus::Passed ? "</tbody>\n</table>\n</details>\n" : "</tbody>\n</table>\n");
    }
    sink.Write("</body>\n</html>\n");
}
