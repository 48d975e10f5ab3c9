#pragma once
// The report files of --output: each written to a temporary beside it and renamed into
// place (with the export's rules for where it may go), never left partial.
#include "run/JsonReport.h"
#include "run/ReportOutput.h"

#include <optional>
#include <vector>

// The document of one format for the run, its items from `items`, into `sink`.
void WriteReport(const RunRecord& run, const ItemSource& items, ReportOutput::Format format, ReportSink& sink);
// Writes every file, whatever the run's outcome; tries them all. One outcome per file that
// could not be written, saying which and why, in the order asked.
std::vector<Outcome> WriteReports(const RunRecord& run, const ItemSource& items, const std::vector<ReportOutput>& outputs);
