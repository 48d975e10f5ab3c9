#pragma once
// How a run ended, as a management tool reads it: the exit status, the session API's code
// (or the agent's error) with its name, and a plain-English explanation that says what
// happened and what to do.
#include "compliance/AgentChecks.h"
#include "run/ExitStatus.h"

#include <cstdint>
#include <optional>
#include <string>

struct Outcome {
    ExitStatus status = ExitStatus::OtherFailure;
    std::int32_t code = 0;
    const char* name = nullptr;  // the code's name in compliance/ResultCodes.h; null for an agent's own code
    std::string message;
    // Whether the run tells it on standard error: a finished evaluation with results that
    // are not all "True" has not failed, and arguments that match no form say so with the
    // usage text alone.
    bool failed = true;
};

// A failing COMPLIANCE_Open.
Outcome OpenFailed(std::int32_t code);
// Open refused an exchange directory that others may write in (an elevated run).
Outcome RefusedOpenToOthers(const DirectoryOpenToOthers& directory);
// "the response directory <path> is open to others: <who> may <what>".
std::string OpenToOthersWords(const DirectoryOpenToOthers& directory);
// What a run that went on in such a directory tells: the words above, and what they mean.
std::string OpenToOthersWarning(const DirectoryOpenToOthers& directory);
// Open's RequestWaiting: a request already waited, `waitedSeconds` long when known. This
// session holds the lock, so no live session owns it: the agent is not taking requests.
Outcome RequestWaiting(std::optional<std::uint64_t> waitedSeconds);
// How long ago a file was last written, in whole seconds; nothing for a time still to come.
std::optional<std::uint64_t> SecondsSince(const struct _FILETIME& written);
// COMPLIANCE_Progress returning 2: `fromAgent` when the error came in the agent's answer,
// otherwise the exchange's own code.
Outcome ProgressError(std::int32_t error, bool fromAgent);
// COMPLIANCE_Progress returning a negative code.
Outcome ProgressFailed(std::int32_t code);
// An exchange that ended without an answer (`code`, -3 or -7) while the agent's mutex was
// gone: the agent stopped.
Outcome AgentStopped(std::int32_t code);
// A completed evaluation, by what its items say (run/ItemStatus.h): none at all, one that
// failed, one that could not be evaluated, or every one passed.
Outcome Completed(std::size_t total, std::size_t failed, std::size_t notEvaluated);
// A completed evaluation of which `unreported` items (the first at `index`, for `why`)
// could not be read or reported.
Outcome NotAllReported(std::size_t unreported, std::size_t total, std::int32_t index, const std::string& why);
Outcome InvalidResultText();
// A failure nothing else names (`what` in words): the tool's own.
Outcome Unexpected(const std::string& what);
Outcome ExportFailed(const std::string& path, const std::string& reason);
// A report file of --output that could not be written: the export's status.
Outcome ReportFailed(const std::string& path, const std::string& reason);
Outcome TimedOut(std::uint32_t seconds);
// The time limit passed before the agent took the Open request: no session existed.
Outcome NotTakenInTime(std::uint32_t seconds);
Outcome Cancelled();
Outcome UsageNotUnderstood(const std::string& why = {});

// "Verimark: <message> [<code>]", the line standard error gets for a failure; the brackets
// only where there is a code.
std::string ExplanationLine(const Outcome& outcome);
