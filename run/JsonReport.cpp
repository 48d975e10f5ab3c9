#include "run/JsonReport.h"

#include "compliance/Registry.h"
#include "text/Transcoding.h"
#include "run/ItemStatus.h"
#include "text/Win32.h"

#include <cstdio>

#ifndef VERIMARK_VERSION
#error "the build defines VERIMARK_VERSION"
#endif


std::string HostName()
{
    wchar_t name[256];
    DWORD size = 256;
    if (!GetComputerNameExW(ComputerNameDnsHostname, name, &size))
        return {};
    return NarrowReplacing(std::wstring_view(name, size));
}

std::optional<std::string> AgentVersionText()
{
    try {
        if (const std::optional<CopiedU8String> version = ReadRegistryString(ClientKeyPath, L"Version"))
            return std::string(version->StringView());
    } catch (...) {
    }
    return std::nullopt;
}


std::string UtcNow()
{
    SYSTEMTIME t;
    GetSystemTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

JsonReportWriter::JsonReportWriter(ReportSink& sink, std::string started) : writer_(sink), started_(std::move(started))
{
}

void JsonReportWriter::Begin(const RunRequest& request)
{
    if (begun_)
        return;
    begun_ = true;
    JsonWriter& w = writer_;
    w.BeginObject();
    w.Key("schemaVersion").Number(2);
    w.Key("tool").BeginObject().Key("name").Text("Verimark").Key("version").Text(VERIMARK_VERSION).EndObject();
    w.Key("agent").BeginObject().Key("version");
    if (const std::optional<std::string> version = AgentVersionText())
        w.Text(*version);
    else
        w.Null();
    w.EndObject();
    w.Key("host").Text(HostName());
    w.Key("started").Text(started_);
    w.Key("url").Text(NarrowReplacing(View(request.url)));
    w.Key("document").Text(NarrowReplacing(View(request.document)));
    w.Key("flags").Number(request.flags);
    w.Key("items").BeginArray();
}

void JsonReportWriter::Item(const ListedItem& item)
{
    try {
        WriteItem(item);
    } catch (...) {
        writer_.CloseTo(2);  // the item as far as it got, and the document still well-formed
        throw;
    }
}

void JsonReportWriter::WriteItem(const ListedItem& item)
{
    const ItemStatus status = StatusOf(item);
    const std::optional<std::int64_t> microseconds = EvaluationMicroseconds(item.evaluationTime);
    JsonWriter& w = writer_;
    w.BeginObject();
    w.Key("designator").Text(item.designator);
    w.Key("result").Text(item.result);
    w.Key("resultType").Text(item.resultType);
    w.Key("evaluationTime").Text(item.evaluationTime);
    w.Key("description").Text(item.description);
    w.Key("comment").Text(item.comment);
    w.Key("status").Text(StatusName(status));
    w.Key("passed").Boolean(status == ItemStatus::Passed);
    w.Key("evaluationTimeMicroseconds");
    if (microseconds)
        w.Number(*microseconds);
    else
        w.Null();
    if (!item.problem.empty())
        w.Key("problem").Text(item.problem);
    w.EndObject();
}

void JsonReportWriter::End(const RunRecord& run)
{
    const RunReport& report = run.report;
    const Outcome& outcome = report.outcome;
    Begin(report.request);
    JsonWriter& w = writer_;
    w.CloseTo(2);  // the document and its items
    w.EndArray();
    w.Key("ended").Text(run.ended);
    w.Key("durationSeconds").Seconds(report.milliseconds);
    // No code where the session gave none (a time limit, a cancel, a failed export, usage).
    w.Key("outcome").BeginObject();
    w.Key("status").Number(static_cast<int>(outcome.status));
    w.Key("code");
    if (outcome.code != 0)
        w.Number(outcome.code);
    else
        w.Null();
    w.Key("name");
    if (outcome.name)
        w.Text(outcome.name);
    else
        w.Null();
    w.Key("message").Text(outcome.message);
    if (!CompletedStatus(outcome.status) && report.lastPercent)
        w.Key("lastPercent").Number(*report.lastPercent);
    w.EndObject();
    if (report.unreportedCount != 0) {
        w.Key("unreported").BeginArray();
        for (const UnreportedItem& item : report.unreported)
            w.BeginObject().Key("index").Number(item.index).Key("why").Text(item.why).EndObject();
        w.EndArray();
    }
    if (!report.openToOthers.empty()) {
        w.Key("openToOthers").BeginArray();
        for (const DirectoryOpenToOthers& directory : report.openToOthers) {
            w.BeginObject();
            w.Key("directory").Text(directory.which == ExchangeDirectory::Request ? "request" : "response");
            w.Key("path").Text(directory.path);
            w.Key("principal").Text(directory.writer.principal);
            w.Key("sid").Text(NarrowReplacing(std::wstring_view(directory.writer.sid)));
            w.Key("right").Text(directory.writer.right);
            w.EndObject();
        }
        w.EndArray();
    }
    // passed, failed and errors: the items' statuses, as every report counts them; true,
    // false and error: their result texts.
    const ItemCounts& counts = report.items;
    const auto number = [&](const char* key, std::size_t n) { w.Key(key).Number(static_cast<std::int64_t>(n)); };
    w.Key("summary").BeginObject();
    number("total", counts.total);
    number("true", counts.results.isTrue);
    number("false", counts.results.isFalse);
    number("error", counts.results.other);
    number("passed", counts.passed);
    number("failed", counts.failed);
    number("errors", counts.errors);
    w.EndObject();
    if (report.request.exportPath) {
        w.Key("export").BeginObject();
        w.Key("path").Text(NarrowReplacing(View(*report.request.exportPath)));
        w.Key("written").Boolean(report.exportWritten);
        w.EndObject();
    }
    w.EndObject();
}

void WriteJsonDocument(const RunRecord& run, const ItemSource& items, ReportSink& sink)
{
    JsonReportWriter writer(sink, run.started);
    writer.Begin(run.report.request);
    items.ForEach([&](const ListedItem& item) { writer.Item(item); });
    writer.End(run);
}

std::string JsonDocument(const RunRecord& run, const ItemSource& items)
{
    StringSink sink;
    WriteJsonDocument(run, items, sink);
    return std::move(sink.Text());
}
