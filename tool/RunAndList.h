#pragma once
// One run of the console tool: open, report progress once a second, export, list, close.
#include "compliance/ResultCodes.h"
#include "text/Bstr.h"
#include "tool/Outcome.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Cancellation;

// RunAndList's results.
inline constexpr std::int32_t RunCompleted = 0;  // the run ended as it should (a failed open or progress included)
inline constexpr std::int32_t RunInvalidUtf8 = ComplianceResult::TextNotUtf8;  // an item's text was not valid UTF-8
inline constexpr std::int32_t RunExportFailed = -2;  // the response could not be exported (reported on stderr)

// What the options before the form change about a run.
struct RunOptions {
    // No listing: the caller writes a JSON document; progress lines go to standard error.
    bool json = false;
    std::optional<std::uint32_t> timeoutSeconds;  // counted from `started`
    std::uint64_t started = 0;                    // GetTickCount64 when the run began
    const Cancellation* cancellation = nullptr;   // a stop request ends the run, its session closed
};

// One result item's texts in UTF-8, as the agent gave them.
struct ListedItem {
    std::string designator, result, resultType, evaluationTime, description, comment;
};

struct RunReport {
    Outcome outcome;
    std::vector<ListedItem> items;  // with RunOptions::json only
    std::size_t total = 0, passed = 0, failed = 0, errors = 0;  // results "True", "False", anything else
    bool exportWritten = false;
};

// The whole run; every failure is told on standard error in one line.
RunReport RunSession(_bstr_t url, _bstr_t document, std::int32_t flags, bool exportResponse, _bstr_t outputPath,
                     const RunOptions& options);

std::int32_t RunAndList(_bstr_t url, _bstr_t document, std::int32_t flags, bool exportResponse, _bstr_t outputPath);

// Copies the answer the session's results were read from to outputPath, byte for byte.
void ExportResponseFile(const _bstr_t& outputPath);
