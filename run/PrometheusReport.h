#pragma once
// The run as metrics in the Prometheus text format, for the textfile collectors monitoring
// agents already read: the items by status, the exit status, whether the run was compliant,
// when it ended and how long it took, each labelled with the document. Written into place
// whole (the export's rules), so a collector never reads half a file.
#include "run/JsonReport.h"

void WritePrometheusDocument(const RunRecord& run, const ItemSource& items, ReportSink& sink);
