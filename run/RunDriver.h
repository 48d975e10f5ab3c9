#pragma once
// Drives one run against the compliance session: open, progress once a second, export,
// the items into their store, close. The session is closed whenever it was opened,
// whatever throws meanwhile, and before anything is presented: a slow reader of the
// output never holds the machine's lock or the agent's evaluation. Every wait goes through
// the sleeper in force (files/Sleeper.h), whose clock the time limit is measured on and
// whose stop request (Ctrl+C) ends the run; the run's deadline bounds each of the
// session's own waits. Prints nothing: it tells the observer, and fills the store.
#include "run/RunReport.h"

RunReport DriveRun(const RunRequest& request, const RunLimits& limits, RunObserver& observer, ItemStore& items);
