#pragma once
// The document --json writes at the end of a run: one JSON object in UTF-8, whatever the
// ANSI code page, with the fields a management tool collects.
#include "text/Bstr.h"
#include "tool/RunAndList.h"

#include <cstdint>
#include <optional>
#include <string>

struct RunRecord {
    std::string started, ended;  // UTC, ISO 8601
    _bstr_t url, document;
    std::int32_t flags = 0;
    std::optional<_bstr_t> exportPath;  // with -x
    RunReport report;
};

std::string JsonDocument(const RunRecord& run);

// Now, in UTC, as "2026-12-09T08:30:05.123Z".
std::string UtcNow();
