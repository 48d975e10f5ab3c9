#include "run/JunitReport.h"

#include "text/Transcoding.h"
#include "run/ItemStatus.h"
#include "run/JsonReport.h"
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
    // ISO 8601 with its zone (UTC), to the second, as CI systems read it.
    const std::string timestamp = run.started.substr(0, 19) + "Z";
    const std::string host = HostName();
    const auto property = [](const char* name, const std::string& value) {
        return "      <property" + Attribute("name", name) + Attribute("value", value) + "/>\n";
    };
    sink.Write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" + Attribute("name", "Verimark") + counts + time +
               ">\n  <testsuite" + Attribute("name", document) + counts + Attribute("skipped", "0") + time +
               Attribute("timestamp", timestamp) + Attribute("hostname", host) + ">\n    <properties>\n" +
               property("agentVersion", AgentVersionText().value_or("")) +
               property("url", NarrowReplacing(View(report.request.url))) + property("document", document) +
               property("flags", std::to_string(report.request.flags)) +
               property("exitStatus", std::to_string(static_cast<int>(report.outcome.status))) +
               property("outcome", report.outcome.message) + "    </properties>\n");
    // Unique across machines, so that reports merged from a fleet keep their cases apart.
    const std::string classname = Attribute("classname", host + "." + document);
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
        sink.Write(classname + Attribute("time", Seconds(microseconds ? static_cast<double>(*microseconds) / 1e6 : 0.0)) +
                   ">\n");
        // Every case, passed ones too, carries what the check is and what it found.
        const auto output = [&] {
            sink.Write("      <system-out>Description: ");
            WriteMarkup(sink, item.description);
            sink.Write("&#10;Comment: ");
            WriteMarkup(sink, item.comment);
            sink.Write("</system-out>\n");
        };
        if (status == ItemStatus::Passed) {
            output();
            sink.Write("    </testcase>\n");
            return;
        }
        const char* element = status == ItemStatus::Error ? "error" : "failure";
        const std::string& message = !item.problem.empty() ? item.problem
                                     : item.comment.empty() ? item.result : item.comment;
        sink.Write(std::string("      <") + element);
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
        sink.Write(std::string("</") + element + ">\n");
        output();
        sink.Write("    </testcase>\n");
    });
    if (!completed)
        sink.Write("    <testcase" + Attribute("name", "evaluation") + classname +
                   Attribute("time", Seconds(static_cast<double>(report.milliseconds) / 1000.0)) + ">\n      <error" +
                   Attribute("message", report.outcome.message) +
                   Attribute("type", report.outcome.name ? report.outcome.name : "Failed") + "/>\n    </testcase>\n");
    sink.Write("  </testsuite>\n</testsuites>\n");
}
