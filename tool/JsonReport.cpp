#include "tool/JsonReport.h"

#include "compliance/Registry.h"
#include "text/Transcoding.h"
#include "tool/ItemStatus.h"
#include "text/Win32.h"

#include <nlohmann/json.hpp>

#include <cstdio>

#ifndef VERIMARK_VERSION
#error "the build defines VERIMARK_VERSION"
#endif

namespace {

nlohmann::ordered_json AgentVersion()
{
    const std::optional<std::string> version = AgentVersionText();
    return version ? nlohmann::ordered_json(*version) : nlohmann::ordered_json(nullptr);
}

}  // namespace

std::string HostName()
{
    wchar_t name[256];
    DWORD size = 256;
    if (!GetComputerNameExW(ComputerNameDnsHostname, name, &size))
        return {};
    return Narrow(std::wstring_view(name, size));
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

std::string JsonDocument(const RunRecord& run)
{
    using nlohmann::ordered_json;
    const RunReport& report = run.report;
    const Outcome& outcome = report.outcome;
    ordered_json document;
    document["schemaVersion"] = 2;
    document["tool"] = {{"name", "Verimark"}, {"version", VERIMARK_VERSION}};
    document["agent"] = {{"version", AgentVersion()}};
    document["host"] = HostName();
    document["started"] = run.started;
    document["ended"] = run.ended;
    document["durationSeconds"] = static_cast<double>(report.milliseconds) / 1000.0;
    document["url"] = Narrow(View(report.request.url));
    document["document"] = Narrow(View(report.request.document));
    document["flags"] = report.request.flags;
    // No code where the session gave none (a time limit, a cancel, a failed export, usage).
    ordered_json result = {{"status", static_cast<int>(outcome.status)},
                           {"code", outcome.code != 0 ? ordered_json(outcome.code) : ordered_json(nullptr)}};
    result["name"] = outcome.name ? ordered_json(outcome.name) : ordered_json(nullptr);
    result["message"] = outcome.message;
    if (!CompletedStatus(outcome.status) && report.lastPercent)
        result["lastPercent"] = *report.lastPercent;
    document["outcome"] = result;
    ordered_json items = ordered_json::array();
    for (const ListedItem& item : report.items) {
        const ItemStatus status = StatusOf(item.result, item.resultType);
        const std::optional<std::int64_t> microseconds = EvaluationMicroseconds(item.evaluationTime);
        items.push_back({{"designator", item.designator},
                         {"result", item.result},
                         {"resultType", item.resultType},
                         {"evaluationTime", item.evaluationTime},
                         {"description", item.description},
                         {"comment", item.comment},
                         {"status", StatusName(status)},
                         {"passed", status == ItemStatus::Passed},
                         {"evaluationTimeMicroseconds",
                          microseconds ? ordered_json(*microseconds) : ordered_json(nullptr)}});
    }
    document["items"] = std::move(items);
    document["summary"] = {
        {"total", report.total}, {"true", report.passed}, {"false", report.failed}, {"error", report.errors}};
    if (report.request.exportPath)
        document["export"] = {{"path", Narrow(View(*report.request.exportPath))}, {"written", report.exportWritten}};
    return document.dump(2);
}
