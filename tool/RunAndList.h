#pragma once
// The body of every run of the console tool: the driver with the presenter that prints
// while the session is open (progress, or with --json the progress lines on standard
// error), then, with the session closed, the count and the items from their store.
#include "compliance/ResultCodes.h"
#include "run/JsonReport.h"
#include "run/RunReport.h"
#include "text/Bstr.h"

#include <cstdint>

// RunAndList's results.
inline constexpr std::int32_t RunCompleted = 0;  // the run ended as it should (a failed open or progress included)
inline constexpr std::int32_t RunInvalidUtf8 = ComplianceResult::TextNotUtf8;  // an item's text was not valid UTF-8
inline constexpr std::int32_t RunExportFailed = -2;  // the response could not be exported

// What the options change about a run.
struct RunSettings {
    bool json = false;   // no listing: progress lines go to standard error
    bool quiet = false;  // no progress lines anywhere
    ItemStore* store = nullptr;            // where the items wait for the presenters (a spool of its own when none)
    JsonReportWriter* document = nullptr;  // begun before the run, given the items after it
    RunLimits limits;
};

// One run; its report, when asked for, in `report`.
std::int32_t RunAndList(_bstr_t url, _bstr_t document, std::int32_t flags, bool exportResponse, _bstr_t outputPath,
                        const RunSettings& settings = {}, RunReport* report = nullptr);
