#pragma once
// One run of the console tool: open, report progress once a second, export, list, close.
#include "compliance/ResultCodes.h"
#include "text/Bstr.h"

#include <cstdint>

// RunAndList's results.
inline constexpr std::int32_t RunCompleted = 0;  // the run ended as it should (a failed open or progress included)
inline constexpr std::int32_t RunInvalidUtf8 = ComplianceResult::TextNotUtf8;  // an item's text was not valid UTF-8
inline constexpr std::int32_t RunExportFailed = -2;  // the response could not be exported (reported on stderr)

std::int32_t RunAndList(_bstr_t url, _bstr_t document, std::int32_t flags, bool exportResponse, _bstr_t outputPath);

// Copies the answer the session's results were read from to outputPath, byte for byte.
void ExportResponseFile(const _bstr_t& outputPath);
