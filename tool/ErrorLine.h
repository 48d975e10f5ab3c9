#pragma once
// The one line standard error gets when a run fails, in the ANSI code page: "Verimark:"
// with the explanation and the code, or for the failures the tool always named in its own
// words ("-c" and "-x" with a text that is not UTF-8, a failed export) those words.
#include "run/Outcome.h"

#include <string>

// Nothing for a run that did not fail. `dForm`: the "-d" form, which never told a text
// that is not UTF-8.
void WriteErrorLine(const Outcome& outcome, bool dForm);

// "Verimark: warning: <words>", in the ANSI code page.
void WriteWarningLine(const std::string& words);
