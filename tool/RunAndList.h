#pragma once
// The body of every run of the console tool: the driver with the presenter that prints
// as the run goes (the listing, or with --json the progress lines on standard error).
#include "compliance/ResultCodes.h"
#include "text/Bstr.h"
#include "run/RunReport.h"

#include <cstdint>
#include <vector>

// RunAndList's results.
inline constexpr std::int32_t RunCompleted = 0;  // the run ended as it should (a failed open or progress included)
inline constexpr std::int32_t RunInvalidUtf8 = ComplianceResult::TextNotUtf8;  // an item's text was not valid UTF-8
inline constexpr std::int32_t RunExportFailed = -2;  // the response could not be exported

// What the options change about a run.
struct RunSettings {
    bool json = false;  // no listing: progress lines go to standard error
    bool quiet = false; // no progress lines anywhere
    std::vector<ItemFeed*> feeds;  // also told of the run and of each item as it is read
    RunLimits limits;
};

// One run; its report, when asked for, in `report`.
std::int32_t RunAndList(_bstr_t url, _bstr_t document, std::int32_t flags, bool exportResponse, _bstr_t outputPath,
                        const RunSettings& settings = {}, RunReport* report = nullptr);
