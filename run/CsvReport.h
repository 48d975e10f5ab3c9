#pragma once
// The items as a CSV file an auditor opens in a spreadsheet (RFC 4180): UTF-8 with a
// byte-order mark, so that spreadsheets read it as UTF-8; a header row, then one row per
// item with its six texts and its status; CR LF line ends; every field quoted, a quote
// doubled. The texts are written as the agent gave them.
#include "run/JsonReport.h"

void WriteCsvDocument(const RunRecord& run, const ItemSource& items, ReportSink& sink);
