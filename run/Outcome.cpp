#include "run/Outcome.h"

#include "compliance/ResultCodes.h"
#include "text/Win32.h"

#include <array>

namespace {

namespace R = ComplianceResult;

// What each code of COMPLIANCE_Open means to the person running the tool. Codes with two
// meanings are here with the one Open gives them.
struct Explanation {
    std::int32_t code;
    const char* name;
    ExitStatus status;
    const char* message;
};

constexpr std::array<Explanation, 13> openExplanations{{
    {R::VersionMissing, "VersionMissing", ExitStatus::NotInstalled,
     "the agent's version is not in the registry (HKLM\\Software\\Quorlan\\EnterpriseClient, \"Version\"): "
     "install TVKClient, or repair its installation"},
    {R::AgentNotRunning, "AgentNotRunning", ExitStatus::AgentNotRunning,
     "the agent is not running: start TVKClient and try again"},
    {R::RequestNotTaken, "RequestNotTaken", ExitStatus::NoResponse,
     "the agent did not take the request within 10 seconds: check that TVKClient is working, then try again"},
    {R::DirectoryValueMissing, "DirectoryValueMissing", ExitStatus::NotInstalled,
     "the agent's exchange directories are not configured (\"RequestDir\" or \"ResponseDir\" under "
     "HKLM\\SOFTWARE\\Quorlan\\VerimarkAPI): repair the TVKClient installation"},
    {R::LockHeldElsewhere, "LockHeldElsewhere", ExitStatus::Busy,
     "another compliance session is running on this machine: wait until it has ended and try again"},
    {R::NoReadableAnswer, "NoReadableAnswer", ExitStatus::NoResponse,
     "the agent took the request but gave no readable answer within 10 seconds: check that TVKClient is working, "
     "then try again"},
    {R::VersionTooOld, "VersionTooOld", ExitStatus::AgentTooOld,
     "the agent is too old (4.1.8 or later is needed): update TVKClient"},
    {R::SessionAlreadyOpen, "SessionAlreadyOpen", ExitStatus::Busy,
     "a session is already open in this process (a Session object's): close it, then try again"},
    {R::ExchangeFailed, "ExchangeFailed", ExitStatus::OtherFailure,
     "an unexpected failure in the checks or the exchange with the agent: try again"},
    {R::RequestNotWritten, "RequestNotWritten", ExitStatus::OtherFailure,
     "the request could not be written into the request directory: check that it exists, that this account may "
     "write there, and that nothing but the agent's files is in it"},
    {R::DirectoryUnusable, "DirectoryUnusable", ExitStatus::NotInstalled,
     "an exchange directory cannot be used: its parent is missing, or the registry names no absolute local folder "
     "that can be worked in safely (not a link, not owned by an ordinary user): check \"RequestDir\" and "
     "\"ResponseDir\""},
    {R::DirectoryOpenToOthers, "DirectoryOpenToOthers", ExitStatus::NotInstalled,
     "an exchange directory is open to others: someone other than SYSTEM, the Administrators and service accounts "
     "may create or change what it holds, and an elevated run does not use such a directory: have the TVKClient "
     "installation's permissions repaired"},
    {R::DirectoryRefused, "DirectoryRefused", ExitStatus::NotInstalled,
     "creating an exchange directory was refused: run as an administrator, or have the agent's installation "
     "create it"},
}};

Outcome Failure(ExitStatus status, std::int32_t code, const char* name, std::string message)
{
    Outcome outcome;
    outcome.status = status;
    outcome.code = code;
    outcome.name = name;
    outcome.message = std::move(message);
    return outcome;
}

}  // namespace

Outcome OpenFailed(std::int32_t code)
{
    for (const Explanation& e : openExplanations)
        if (e.code == code)
            return Failure(e.status, code, e.name, e.message);
    return Failure(ExitStatus::OtherFailure, code, nullptr, "the session could not be opened");
}

std::string OpenToOthersWords(const DirectoryOpenToOthers& directory)
{
    return std::string(directory.which == ExchangeDirectory::Request ? "the request directory " : "the response directory ") +
           directory.path + " is open to others: " + directory.writer.principal + " may " + directory.writer.right;
}

Outcome RefusedOpenToOthers(const DirectoryOpenToOthers& directory)
{
    return Failure(ExitStatus::NotInstalled, R::DirectoryOpenToOthers, "DirectoryOpenToOthers",
                   OpenToOthersWords(directory) +
                       ", and an elevated run uses only exchange directories that nobody but SYSTEM, the "
                       "Administrators, service accounts and this account may change: remove that permission, or have "
                       "the TVKClient installation repaired");
}

std::string OpenToOthersWarning(const DirectoryOpenToOthers& directory)
{
    return OpenToOthersWords(directory) +
           ", so what is read there may not come from the agent (an elevated run refuses such a directory): remove "
           "that permission, or have the TVKClient installation repaired";
}

std::optional<std::uint64_t> SecondsSince(const FILETIME& written)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    if (ticks(now) < ticks(written))
        return std::nullopt;
    return (ticks(now) - ticks(written)) / 10000000;  // 100-nanosecond ticks
}

Outcome RequestWaiting(std::optional<std::uint64_t> waitedSeconds)
{
    std::string since = "an earlier request.xml waits in the request directory";
    if (waitedSeconds)
        since += " (for " + std::to_string(*waitedSeconds) + " s)";
    return Failure(ExitStatus::NoResponse, R::RequestWaiting, "RequestWaiting",
                   "the agent did not respond: " + since +
                       " and nobody else is in a session, so TVKClient is not taking requests: check that it is "
                       "working; it takes or replaces that request when it is");
}

namespace {

// The agent's own codes, as the stand-in agent uses them, in words. -22 is the one every
// agent shares; the others an agent may use otherwise, so each message says what it
// usually means.
struct AgentCode {
    std::int32_t code;
    const char* name;
    const char* message;
};

constexpr std::array<AgentCode, 5> agentCodes{{
    {R::AgentReportsNotAvailable, "AgentReportsNotAvailable",
     "the agent reports that results are not available right now: try again later"},
    {-30, "NoEvaluation",
     "the agent has no evaluation for this session (it was probably restarted during the run): run the evaluation "
     "again"},
    {-31, "DocumentNotFound",
     "the agent reported an error for this evaluation: check the site URL and the document name"},
    {-32, "DocumentInvalid", "the agent could not read the compliance document: check the document on the site"},
    {-33, "BadName", "the agent refused the document's name: check the document name"},
}};

}  // namespace

Outcome ProgressError(std::int32_t error, bool fromAgent)
{
    if (fromAgent) {
        for (const AgentCode& a : agentCodes)
            if (a.code == error)
                return Failure(ExitStatus::AgentError, error, a.name, a.message);
        return Failure(ExitStatus::AgentError, error, nullptr,
                       "the agent reported an error of its own for this evaluation: see the agent's documentation "
                       "for this code");
    }
    switch (error) {
    case R::RequestNotTaken:
        return Failure(ExitStatus::NoResponse, error, "RequestNotTaken",
                       "the agent stopped taking requests during the evaluation: check that TVKClient is running");
    case R::NoReadableAnswer:
        return Failure(ExitStatus::NoResponse, error, "NoReadableAnswer",
                       "the agent gave no readable answer to a progress request within 10 seconds: check that TVKClient "
                       "is working, then try again");
    case R::NoSessionOpen:
        return Failure(ExitStatus::OtherFailure, error, "NoSessionOpen", "no session is open");
    case R::RequestNotWritten:
        return Failure(ExitStatus::OtherFailure, error, "RequestNotWritten",
                       "a progress request could not be written into the request directory");
    default:
        return Failure(ExitStatus::OtherFailure, error, "ExchangeFailed",
                       "an unexpected failure in the exchange with the agent: try again");
    }
}

Outcome ProgressFailed(std::int32_t code)
{
    if (code == R::UnknownProgressState)
        return Failure(ExitStatus::NoResponse, code, "UnknownProgressState",
                       "the agent's answer has a progress state that means nothing (not 1, 2 or 3): check the agent's "
                       "version");
    return Failure(ExitStatus::OtherFailure, code, "OperationFailed", "an unexpected failure while asking for progress");
}

Outcome AgentStopped(std::int32_t code)
{
    return Failure(ExitStatus::AgentNotRunning, code, code == R::RequestNotTaken ? "RequestNotTaken" : "NoReadableAnswer",
                   "the agent stopped during the evaluation (it no longer runs): start TVKClient and run the "
                   "evaluation again");
}

Outcome Completed(std::size_t total, std::size_t failed, std::size_t notEvaluated)
{
    Outcome outcome;
    outcome.code = R::ProgressComplete;
    outcome.name = "ProgressComplete";
    outcome.failed = false;
    if (total == 0) {
        outcome.status = ExitStatus::NoItems;
        outcome.message = "the evaluation completed with no items: the document has no checks";
    } else if (failed != 0) {
        outcome.status = ExitStatus::NotCompliant;
        outcome.message = "the evaluation completed and at least one check did not pass";
    } else if (notEvaluated != 0) {
        outcome.status = ExitStatus::NotEvaluated;
        outcome.message = "the evaluation completed and no check failed, but " + std::to_string(notEvaluated) +
                          (notEvaluated == 1 ? " check" : " checks") + " could not be evaluated";
    } else {
        outcome.status = ExitStatus::Compliant;
        outcome.message = "the evaluation completed and every check passed";
    }
    return outcome;
}

Outcome NotAllReported(std::size_t unreported, std::size_t total, std::int32_t index, const std::string& why)
{
    Outcome outcome = Failure(ExitStatus::NotAllReported, 0, "NotAllReported",
                              "the evaluation completed, but " + std::to_string(unreported) + " of its " +
                                  std::to_string(total) + (total == 1 ? " item" : " items") +
                                  " could not be read or reported, so whether it passed is not known: item " +
                                  std::to_string(index) + ": " + why);
    return outcome;
}

Outcome Unexpected(const std::string& what)
{
    return Failure(ExitStatus::Unexpected, 0, "Unexpected", "an unexpected failure: " + what);
}

Outcome InvalidResultText()
{
    return Failure(ExitStatus::InvalidText, R::TextNotUtf8, "TextNotUtf8",
                   "a result text from the agent is not valid UTF-8");
}

Outcome ExportFailed(const std::string& path, const std::string& reason)
{
    return Failure(ExitStatus::ExportFailed, 0, "ExportFailed",
                   "could not export the response to \"" + path + "\": " + reason);
}

Outcome ReportFailed(const std::string& path, const std::string& reason)
{
    return Failure(ExitStatus::ExportFailed, 0, "ReportFailed", "could not write the report \"" + path + "\": " + reason);
}

Outcome TimedOut(std::uint32_t seconds)
{
    // Seen by the tool's users and by scripts alike: no option of either is named.
    return Failure(ExitStatus::TimedOut, 0, "TimedOut",
                   "the evaluation did not finish within " + std::to_string(seconds) +
                       " seconds; the session was closed: try again with a longer time limit");
}

Outcome NotTakenInTime(std::uint32_t seconds)
{
    return Failure(ExitStatus::TimedOut, 0, "TimedOut",
                   "the agent did not take the request (request.xml in its request directory) within the time limit of " +
                       std::to_string(seconds) +
                       " seconds; no session was opened: check that TVKClient is running and taking requests");
}

Outcome Cancelled()
{
    return Failure(ExitStatus::Cancelled, 0, "Cancelled", "cancelled; the session was closed");
}

Outcome UsageNotUnderstood(const std::string& why)
{
    Outcome outcome = Failure(ExitStatus::Usage, 0, "Usage",
                              (why.empty() ? std::string("the arguments were not understood") : why) +
                                  ": see Verimark --help");
    // The usage text says enough where nothing in particular was wrong.
    outcome.failed = !why.empty();
    return outcome;
}

std::string ExplanationLine(const Outcome& outcome)
{
    std::string line = "Verimark: " + outcome.message;
    if (outcome.code != 0)
        line += " [" + std::to_string(outcome.code) + "]";
    return line;
}
