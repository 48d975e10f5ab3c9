#pragma once
// The exit statuses with --exit-codes (and --json): what a management tool reads of a run.
// This table is the one the tool's help prints and the README shows.
#include <array>

enum class ExitStatus : int {
    Compliant = 0,
    NotCompliant = 1,
    Usage = 2,
    NotInstalled = 3,
    AgentTooOld = 4,
    AgentNotRunning = 5,
    Busy = 6,
    NoResponse = 7,
    AgentError = 8,
    ExportFailed = 9,
    TimedOut = 10,
    Cancelled = 11,
    InvalidText = 12,
    OtherFailure = 13,
    NoItems = 14,
    NotEvaluated = 15,
    NotAllReported = 16,
    Unexpected = 17,
};

// Whether the status is that of an evaluation that completed (0, 1, 14, 15, 16).
constexpr bool CompletedStatus(ExitStatus status)
{
    return status == ExitStatus::Compliant || status == ExitStatus::NotCompliant || status == ExitStatus::NoItems ||
           status == ExitStatus::NotEvaluated || status == ExitStatus::NotAllReported;
}

struct ExitStatusMeaning {
    ExitStatus status;
    const char* meaning;
};

inline constexpr std::array<ExitStatusMeaning, 18> exitStatusTable{{
    {ExitStatus::Compliant, "the evaluation completed and every item's result is \"True\""},
    {ExitStatus::NotCompliant, "the evaluation completed and at least one item failed (its result is not \"True\" and "
                               "it was evaluated)"},
    {ExitStatus::Usage, "the arguments were not understood (usage)"},
    {ExitStatus::NotInstalled, "the agent is not installed or not configured (-1, -4, -23, -25), or, elevated, an "
                                 "exchange directory others may write in (-27)"},
    {ExitStatus::AgentTooOld, "the agent is too old (-9)"},
    {ExitStatus::AgentNotRunning, "the agent is not running (-2), or it stopped during the evaluation"},
    {ExitStatus::Busy, "busy: another session holds the lock (-6 at Open), or this process has one open (-15)"},
    {ExitStatus::NoResponse,
     "the agent did not respond: request not taken, no answer, an earlier request still waiting, or an answer "
     "with a progress state that means nothing (-3, -7, -5)"},
    {ExitStatus::AgentError, "the agent reported an error for this evaluation (Progress state 2 with its error, -22 included)"},
    {ExitStatus::ExportFailed, "the export failed"},
    {ExitStatus::TimedOut, "the time limit ran out"},
    {ExitStatus::Cancelled, "cancelled (Ctrl+C, Ctrl+Break, console closed)"},
    {ExitStatus::InvalidText, "a result text was not valid UTF-8"},
    {ExitStatus::OtherFailure, "any other failure"},
    {ExitStatus::NoItems, "the evaluation completed with no items: the document has no checks"},
    {ExitStatus::NotEvaluated,
     "the evaluation completed, no item failed, and at least one could not be evaluated (its result type is "
     "\"error\", or its result begins with \"Error\")"},
    {ExitStatus::NotAllReported,
     "the evaluation completed, but at least one item could not be read or reported (the run names which and "
     "why): never taken as compliant"},
    {ExitStatus::Unexpected, "an unexpected failure inside the tool (its words on standard error)"},
}};
