#pragma once
// --check: what stands in the way of a run, looked at without one. No session is opened,
// no request written, nothing made in either directory, and the lock is taken only for the
// moment of the look. One line per condition, in words, on standard output, then the status
// a run would get now: 0 when ready; otherwise 3, 4, 5, 6 or 7 as the exit-status table says.
#include "run/ExitStatus.h"
#include "run/ReportSink.h"

#include <string>
#include <vector>

struct ReadinessReport {
    std::vector<std::string> lines;  // UTF-8, without line ends: "<check>: <words>"
    std::vector<bool> passed;        // per line: whether nothing stood in the way there
    ExitStatus status = ExitStatus::Compliant;
    std::string checked;  // when, UTC, ISO 8601
};

ReadinessReport CheckReadiness();

// The look as one JSON document (--check --json, --check --output json:PATH): each check's
// name, whether it passed and its words, and the status a run would get.
void WriteReadinessDocument(const ReadinessReport& report, ReportSink& sink);
