#include "run/HtmlReport.h"

#include "text/Transcoding.h"
#include "run/ItemStatus.h"
#include "run/MarkupText.h"

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

}  // namespace

void WriteHtmlDocument(const RunRecord& run, const ItemSource& items, ReportSink& sink)
{
    const RunReport& report = run.report;
    const std::string document = NarrowReplacing(View(report.request.document));
    const std::size_t passed = report.items.passed, failed = report.items.failed, errors = report.items.errors;
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.3f s", static_cast<double>(report.milliseconds) / 1000.0);
    sink.Write(
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">\n"
        "<title>Verimark: " + MarkupText(document) + "</title>\n"
        "<style>\nbody{font-family:sans-serif;margin:2em;color:#212121}\n"
        "table{border-collapse:collapse;margin:1em 0}\nth,td{border:1px solid #bdbdbd;padding:.3em .6em;text-align:left;"
        "vertical-align:top}\n.facts th{background:#f5f5f5}\n.failed{background:#ffebee}\n.error{background:#fff3e0}\n"
        ".outcome{font-size:1.2em;font-weight:bold}\n</style>\n</head>\n<body>\n"
        "<h1>Verimark: " + MarkupText(document) + "</h1>\n"
        "<p class=\"outcome\" id=\"outcome\">" + MarkupText(report.outcome.message) + " (exit status " +
        std::to_string(static_cast<int>(report.outcome.status)) + ")</p>\n"
        "<table class=\"facts\" id=\"facts\">\n" +
        Fact("Host", HostName()) + Fact("Document", document) + Fact("URL", NarrowReplacing(View(report.request.url))) +
        Fact("Agent version", AgentVersionText().value_or("(not recorded)")) + Fact("Started (UTC)", run.started) +
        Fact("Ended (UTC)", run.ended) + Fact("Duration", duration) + "</table>\n" +
        CountsPicture(passed, failed, errors) +
        "<table class=\"items\" id=\"items\">\n<thead><tr><th>Status</th><th>Designator</th><th>Result</th>"
        "<th>Result type</th><th>Description</th><th>Comment</th><th>Time (&micro;s)</th></tr></thead>\n<tbody>\n");
    // Failed first, then those that could not be evaluated, then the passed; each in the
    // answer's order, one pass over the items for each.
    for (const ItemStatus shown : {ItemStatus::Failed, ItemStatus::Error, ItemStatus::Passed}) {
        if ((shown == ItemStatus::Failed ? failed : shown == ItemStatus::Error ? errors : passed) == 0)
            continue;
        const char* mark = shown == ItemStatus::Failed ? "&#10007; failed"
                           : shown == ItemStatus::Error ? "! error"
                                                        : "&#10003; passed";
        items.ForEach([&](const ListedItem& item) {
            if (StatusOf(item) != shown)
                return;
            // Written in pieces: no text of an item is held escaped whole.
            sink.Write("<tr class=\"" + std::string(StatusName(shown)) + "\"><td>" + mark + "</td>");
            const std::string problem = item.problem.empty() ? std::string() : "not read: " + item.problem;
            for (const std::string* text : {&item.designator, &item.result, &item.resultType, &item.description,
                                            item.problem.empty() ? &item.comment : &problem, &item.evaluationTime}) {
                sink.Write("<td>");
                WriteMarkup(sink, *text);
                sink.Write("</td>");
            }
            sink.Write("</tr>\n");
        });
    }
    sink.Write("</tbody>\n</table>\n<p>" + std::to_string(report.items.total) + " items: " + std::to_string(passed) +
               " passed, " + std::to_string(failed) + " failed, " + std::to_string(errors) +
               " could not be evaluated.</p>\n</body>\n</html>\n");
}
