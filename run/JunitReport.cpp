#include "run/JunitReport.h"

#include "text/Transcoding.h"
#include "run/ItemStatus.h"
#include "run/MarkupText.h"

#include <cstdio>

namespace {

std::string Attribute(const char* name, std::string_view value)
{
    return std::string(" ") + name + "=\"" + MarkupText(value) + "\"";
}

std::string Seconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", seconds);
    return text;
}

}  // namespace

void WriteJunitDocument(const RunRecord& run, const ItemSource& items, ReportSink& sink)
{
    const RunReport& report = run.report;
    const std::string document = NarrowReplacing(View(report.request.document));
    const bool completed = CompletedStatus(report.outcome.status);
    const std::size_t failures = report.items.failed, errors = report.items.errors + (completed ? 0 : 1);
    const std::size_t tests = report.items.total + (completed ? 0 : 1);
    const std::string counts = Attribute("tests", std::to_string(tests)) + Attribute("failures", std::to_string(failures)) +
                               Attribute("errors", std::to_string(errors));
    const std::string time = Attribute("time", Seconds(static_cast<double>(report.milliseconds) / 1000.0));
    // JUnit's time stamp has no zone: the run's UTC time without its "Z".
    const std::string timestamp = run.started.substr(0, 19);
    sink.Write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" + Attribute("name", "Verimark") + counts + time +
               ">\n  <testsuite" + Attribute("name", document) + counts + Attribute("skipped", "0") + time +
               Attribute("timestamp", timestamp) + Attribute("hostname", HostName()) + ">\n    <properties>\n" +
               "      <property" + Attribute("name", "url") + Attribute("value", NarrowReplacing(View(report.request.url))) + "/>\n" +
               "      <property" + Attribute("name", "exitStatus") +
               Attribute("value", std::to_string(static_cast<int>(report.outcome.status))) + "/>\n" +
               "      <property" + Attribute("name", "outcome") + Attribute("value", report.outcome.message) + "/>\n" +
               "    </properties>\n");
    const std::string classname = Attribute("classname", document);
    // Each case written in pieces: no text of an item is held escaped whole.
    const auto attribute = [&](const char* name, std::string_view value) {
        sink.Write(std::string(" ") + name + "=\"");
        WriteMarkup(sink, value);
        sink.Write("\"");
    };
    items.ForEach([&](const ListedItem& item) {
        const ItemStatus status = StatusOf(item);
        const std::optional<std::int64_t> microseconds = EvaluationMicroseconds(item.evaluationTime);
        sink.Write("    <testcase");
        attribute("name", item.designator);
        sink.Write(classname + Attribute("time", Seconds(microseconds ? static_cast<double>(*microseconds) / 1e6 : 0.0)));
        if (status == ItemStatus::Passed) {
            sink.Write("/>\n");
            return;
        }
        const char* element = status == ItemStatus::Error ? "error" : "failure";
        const std::string& message = !item.problem.empty() ? item.problem
                                     : item.comment.empty() ? item.result : item.comment;
        sink.Write(std::string(">\n      <") + element);
        attribute("message", message);
        attribute("type", item.result);
        sink.Write(">");
        if (!item.problem.empty()) {
            sink.Write("Not read: ");
            WriteMarkup(sink, item.problem);
            sink.Write("&#10;");
        }
        for (const auto& [label, text] : {std::pair<const char*, const std::string*>{"Result: ", &item.result},
                                          {"&#10;Result type: ", &item.resultType},
                                          {"&#10;Description: ", &item.description},
                                          {"&#10;Comment: ", &item.comment}}) {
            sink.Write(label);
            WriteMarkup(sink, *text);
        }
        sink.Write(std::string("</") + element + ">\n    </testcase>\n");
    });
    if (!completed)
        sink.Write("    <testcase" + Attribute("name", "evaluation") + classname +
                   Attribute("time", Seconds(static_cast<double>(report.milliseconds) / 1000.0)) + ">\n      <error" +
                   Attribute("message", report.outcome.message) +
                   Attribute("type", report.outcome.name ? report.outcome.name : "Failed") + "/>\n    </testcase>\n");
    sink.Write("  </testsuite>\n</testsuites>\n");
}
