#pragma once
// How a run ended, as a management tool reads it: the exit status, the session API's code
// (or the agent's error) with its name, and a plain-English explanation that says what
// happened and what to do.
#include "tool/ExitStatus.h"

#include <cstdint>
#include <optional>
#include <string>

struct Outcome {
    ExitStatus status = ExitStatus::OtherFailure;
    std::int32_t code = 0;
    const char* name = nullptr;  // the code's name in compliance/ResultCodes.h; null for an agent's own code
    std::string message;
    // Whether the run failed (and so tells it on standard error); a finished evaluation
    // with results that are not all "True" has not.
    bool failed = true;
};

// A failing COMPLIANCE_Open.
Outcome OpenFailed(std::int32_t code);
// COMPLIANCE_Progress returning 2: `fromAgent` when the error came in the agent's answer,
// otherwise the exchange's own code.
Outcome ProgressError(std::int32_t error, bool fromAgent);
// COMPLIANCE_Progress returning a negative code.
Outcome ProgressFailed(std::int32_t code);
Outcome Completed(bool allTrue);
Outcome InvalidResultText();
Outcome ExportFailed(const std::string& path, const std::string& reason);
Outcome TimedOut(std::uint32_t seconds);
Outcome Cancelled();
Outcome UsageNotUnderstood();

// "Verimark: <message> [<code>]", the line standard error gets for a failure; the brackets
// only where there is a code.
std::string ExplanationLine(const Outcome& outcome);
