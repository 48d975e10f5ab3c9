#pragma once
// The document of --json: one JSON object in UTF-8, whatever the ANSI code page, with the
// fields a management tool collects. It is written as the run goes: the facts known at the
// start, each item as it is read, then how the run ended, so that no more than one item is
// held however long the answer.
#include "run/JsonWriter.h"
#include "run/RunReport.h"

#include <optional>
#include <string>

struct RunRecord {
    std::string started, ended;  // UTC, ISO 8601
    RunReport report;
};

class JsonReportWriter final : public ItemFeed {
public:
    JsonReportWriter(ReportSink& sink, std::string started);
    // The run's facts: what it was asked, the tool, the agent, the host.
    void Begin(const RunRequest& request);
    void Item(const ListedItem& item) override;
    // The end, the outcome and the counts; begins with the report's request first when
    // nothing began (a command line that ran nothing), and closes an item left open by a
    // failure: a document begun is always ended as valid JSON.
    void End(const RunRecord& run);

private:
    void WriteItem(const ListedItem& item);

    JsonWriter writer_;
    std::string started_;
    bool begun_ = false;
};

// The whole document of a run, as text.
std::string JsonDocument(const RunRecord& run, const ItemSource& items);
void WriteJsonDocument(const RunRecord& run, const ItemSource& items, ReportSink& sink);

// Now, in UTC, as "2026-12-09T08:30:05.123Z".
std::string UtcNow();
// This computer's host name (empty when it cannot be told), and the agent's version as its
// installation records it (nothing when it records none).
std::string HostName();
std::optional<std::string> AgentVersionText();
