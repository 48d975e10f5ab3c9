#pragma once
// Drives one run against the session API: open, progress once a second, export, items,
// close. Every wait goes through the sleeper in force (files/Sleeper.h), whose clock the
// time limit is measured on and whose stop request (Ctrl+C) ends the run; the session's
// own waits are bounded by the same deadline. Prints nothing: it tells the observer.
#include "run/RunReport.h"

RunReport DriveRun(const RunRequest& request, const RunLimits& limits, RunObserver& observer);
