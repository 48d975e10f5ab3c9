#pragma once
// The report files of --output: each written to a temporary beside it and renamed into
// place (with the export's rules for where it may go), never left partial.
#include "tool/Arguments.h"
#include "tool/JsonReport.h"

#include <optional>
#include <vector>

// The document of one format for the run.
std::string ReportDocument(const RunRecord& run, ReportOutput::Format format);
// Writes every file; tries them all. Nothing when all were written, else the outcome that
// says which could not be and why (the first such).
std::optional<Outcome> WriteReports(const RunRecord& run, const std::vector<ReportOutput>& outputs);
