#pragma once
// The run as a JUnit XML report, for the test views of CI systems: one test suite (the
// document), one test case per item (named by its designator), a <failure> for an item that
// failed and an <error> for one that could not be evaluated, the comment as the message. A
// run that did not complete is one test case, "evaluation", in error with the explanation.
#include "run/JsonReport.h"


// The counts come from the report, the test cases from `items`, written one at a time.
void WriteJunitDocument(const RunRecord& run, const ItemSource& items, ReportSink& sink);
