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
    std::string testcase;
    items.ForEach([&](const ListedItem& item) {
        const ItemStatus status = StatusOf(item);
        const std::optional<std::int64_t> microseconds = EvaluationMicroseconds(item.evaluationTime);
        testcase = "    <testcase" + Attribute("name", item.designator) + classname +
                   Attribute("time", Seconds(microseconds ? static_cast<double>(*microseconds) / 1e6 : 0.0));
        if (status == ItemStatus::Passed) {
            testcase += "/>\n";
        } else {
            const char* element = status == ItemStatus::Error ? "error" : "failure";
            const std::string& message = !item.problem.empty() ? item.problem
                                         : item.comment.empty() ? item.result : item.comment;
            testcase += ">\n      <" + std::string(element) + Attribute("message", message) +
                        Attribute("type", item.result) + ">" +
                        MarkupText((item.problem.empty() ? "" : "Not read: " + item.problem + "\n") + "Result: " +
                                   item.result + "\nResult type: " + item.resultType + "\nDescription: " +
                                   item.description + "\nComment: " + item.comment) +
                        "</" + element + ">\n    </testcase>\n";
        }
        sink.Write(testcase);
    });
    if (!completed)
        sink.Write("    <testcase" + Attribute("name", "evaluation") + classname +
                   Attribute("time", Seconds(static_cast<double>(report.milliseconds) / 1000.0)) + ">\n      <error" +
                   Attribute("message", report.outcome.message) +
                   Attribute("type", report.outcome.name ? report.outcome.name : "Failed") + "/>\n    </testcase>\n");
    sink.Write("  </testsuite>\n</testsuites>\n");
}
