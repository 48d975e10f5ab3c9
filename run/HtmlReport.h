#pragma once
// The run as one self-contained HTML page for people: no script, and no style sheet, font
// or image from elsewhere, so it reads the same with scripting off and offline. The run's
// facts, the outcome in words, an inline SVG picture of the passed, failed and error counts,
// and the items in a table, the failed and error ones first and marked.
#include "run/JsonReport.h"


// The counts come from the report; the rows from `items`, read once for each status.
void WriteHtmlDocument(const RunRecord& run, const ItemSource& items, ReportSink& sink);
