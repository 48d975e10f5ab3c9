#pragma once
// The document --json writes at the end of a run: one JSON object in UTF-8, whatever the
// ANSI code page, with the fields a management tool collects.
#include "tool/RunReport.h"

#include <optional>
#include <string>

struct RunRecord {
    std::string started, ended;  // UTC, ISO 8601
    RunReport report;
};

std::string JsonDocument(const RunRecord& run);

// Now, in UTC, as "2026-12-09T08:30:05.123Z".
std::string UtcNow();
// This computer's host name (empty when it cannot be told), and the agent's version as its
// installation records it (nothing when it records none).
std::string HostName();
std::optional<std::string> AgentVersionText();
