#include "run/RunDriver.h"

#include "compliance/AgentChecks.h"
#include "compliance/ComplianceSession.h"
#include "compliance/ResultCodes.h"
#include "files/Sleeper.h"
#include "run/ItemStatus.h"
#include "run/ResponseExport.h"
#include "text/Transcoding.h"

#include <algorithm>
#include <new>
#include <string>

namespace {

namespace R = ComplianceResult;

constexpr std::uint32_t pollInterval = 1000;  // between progress requests
constexpr std::uint32_t lockPoll = 250;        // between looks at another session's lock

// An exchange that ended without an answer (-3, -7): the agent may have died meanwhile.
bool NoAnswer(std::int32_t code)
{
    return code == R::RequestNotTaken || code == R::NoReadableAnswer;
}

// Closes the session it was given once Open succeeded, on every path out of the run.
class OpenSession {
public:
    OpenSession(ComplianceSession& session, ComplianceSession::Deadline deadline)
        : session_(session), deadline_(deadline)
    {
    }
    ~OpenSession() { Close(); }
    OpenSession(const OpenSession&) = delete;
    OpenSession& operator=(const OpenSession&) = delete;
    void Close() noexcept
    {
        if (open_) {
            open_ = false;
            session_.Close(deadline_);  // never throws: its failures are codes
        }
    }

private:
    ComplianceSession& session_;
    ComplianceSession::Deadline deadline_;
    bool open_ = true;
};

class Driver {
public:
    Driver(const RunRequest& request, const RunLimits& limits, RunObserver& observer, ItemStore& items)
        : request_(request), observer_(observer), items_(items), clock_(CurrentSleeper()),
          session_(ComplianceSession::Process()), started_(limits.started.value_or(clock_.Now())),
          timeoutSeconds_(limits.timeoutSeconds), waitLockSeconds_(limits.waitLockSeconds)
    {
        if (limits.timeoutSeconds)
            deadline_ = started_ + std::uint64_t{*limits.timeoutSeconds} * 1000;
        report_.request = request;
    }

    RunReport Run();

private:
    // The run was stopped or its time ran out: what it then ends with.
    std::optional<Outcome> Interrupted() const
    {
        if (clock_.StopRequested())
            return Cancelled();
        if (deadline_ && clock_.Now() >= *deadline_)
            return TimedOut(*timeoutSeconds_);
        return std::nullopt;
    }
    // How an exchange that gave no answer ends the run: stopped, timed out, the agent gone,
    // or `otherwise`.
    Outcome WithoutAnswer(std::int32_t code, Outcome otherwise) const
    {
        if (std::optional<Outcome> stop = Interrupted())
            return *stop;
        if (NoAnswer(code) && !IsAgentRunning())
            return AgentStopped(code);
        return otherwise;
    }
    void OpenFailed(std::int32_t code);
    void Evaluate();
    void Results();
    void Read(std::int32_t index);

    const RunRequest& request_;
    RunObserver& observer_;
    ItemStore& items_;
    Sleeper& clock_;
    ComplianceSession& session_;
    const std::uint64_t started_;
    const std::optional<std::uint32_t> timeoutSeconds_, waitLockSeconds_;
    ComplianceSession::Deadline deadline_;
    RunReport report_;
};

RunReport Driver::Run()
{
    std::int32_t opened = session_.Open(request_.url, request_.document, request_.flags, deadline_);
    // Another session's lock: waited for, as long as asked and the deadline allow.
    if (opened == R::LockHeldElsewhere && waitLockSeconds_) {
        std::uint64_t until = started_ + std::uint64_t{*waitLockSeconds_} * 1000;
        if (deadline_)
            until = std::min(until, *deadline_);
        while (opened == R::LockHeldElsewhere && !clock_.StopRequested() && clock_.Now() < until) {
            clock_.SleepUnlessStopped(static_cast<std::uint32_t>(std::min<std::uint64_t>(lockPoll, until - clock_.Now())));
            opened = session_.Open(request_.url, request_.document, request_.flags, deadline_);
        }
    }
    report_.openToOthers = session_.DirectoriesOpenToOthers();
    if (opened != R::Success) {
        OpenFailed(opened);
    } else {
        OpenSession open(session_, deadline_);
        try {
            Evaluate();
        } catch (const std::exception& e) {
            // A presenter, the answer's copy or an allocation failed: the session is
            // closed all the same, and the run says what failed.
            report_.outcome = Unexpected(FailureReason(e));
        }
        open.Close();
    }
    report_.milliseconds = clock_.Now() - started_;
    return std::move(report_);
}

void Driver::OpenFailed(std::int32_t opened)
{
    observer_.OpenFailed(opened);
    if (opened == R::DirectoryOpenToOthers && !report_.openToOthers.empty()) {
        report_.outcome = RefusedOpenToOthers(report_.openToOthers.back());
    } else if (opened == R::RequestWaiting) {
        std::optional<std::uint64_t> waited;
        if (const std::optional<FILETIME> written = session_.WaitingRequestWritten())
            waited = SecondsSince(*written);
        report_.outcome = RequestWaiting(waited);
    } else {
        report_.outcome = NoAnswer(opened) ? WithoutAnswer(opened, ::OpenFailed(opened)) : ::OpenFailed(opened);
        if (opened == R::RequestNotTaken && report_.outcome.status == ExitStatus::TimedOut)
            report_.outcome = NotTakenInTime(*timeoutSeconds_);
    }
}

void Driver::Evaluate()
{
    std::int32_t percent = 0, error = 0, progress = R::ProgressRunning;
    std::optional<Outcome> stop;
    while (!(stop = Interrupted())) {
        progress = session_.Progress(percent, error, deadline_);
        if (progress != R::ProgressRunning)
            break;
        report_.lastPercent = percent;
        observer_.Progress(percent);
        std::uint32_t pause = pollInterval;
        if (deadline_)
            pause = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(pause, *deadline_ - std::min(*deadline_, clock_.Now())));
        clock_.SleepUnlessStopped(pause);
    }
    if (stop) {
        report_.outcome = *stop;
    } else if (progress == R::ProgressComplete) {
        Results();
    } else if (progress == R::ProgressError) {
        observer_.ProgressError(error);
        report_.outcome = session_.LastErrorFromAgent() ? ProgressError(error, true)
                                                        : WithoutAnswer(error, ProgressError(error, false));
    } else {
        report_.outcome = ProgressFailed(progress);
    }
}

void Driver::Results()
{
    report_.outcome = Completed(1, 0, 0);  // what the items say comes at the end
    observer_.ResultsReady();
    std::optional<Outcome> exportFailed;
    if (request_.exportPath) {
        try {
            ExportResponseFile(*request_.exportPath);
            report_.exportWritten = true;
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& e) {
            exportFailed = ExportFailed(NarrowReplacing(View(*request_.exportPath)), FailureReason(e));
        }
    }
    const std::int32_t count = session_.ResultCount();
    report_.count = count;
    for (std::int32_t index = 0; index < count; ++index) {
        if (clock_.StopRequested()) {
            report_.outcome = Cancelled();
            return;
        }
        ComplianceResultItem texts;
        if (session_.ItemTexts(index, texts) == R::Success) {
            bool valid = true;
            for (const ItemText* text : {&texts.designator, &texts.result, &texts.resultType, &texts.evaluationTime,
                                         &texts.description, &texts.comment})
                valid = valid && IsWellFormedUtf8(text->StringView());
            if (!valid) {
                report_.outcome = InvalidResultText();
                return;
            }
        }
        Read(index);
    }
    report_.Conclude();
    if (exportFailed)
        report_.outcome = *exportFailed;
}

// One item into the store. One that cannot be read or stored is kept as what it is, an
// item nobody knows the result of, never left out.
void Driver::Read(std::int32_t index)
{
    ListedItem item;
    try {
        ComplianceResultItem texts;
        if (const std::int32_t got = session_.ItemTexts(index, texts); got != R::Success) {
            item.problem = "the session gave no item for this index [" + std::to_string(got) + "]";
        } else {
            item.designator = texts.designator.StringView();
            item.result = texts.result.StringView();
            item.resultType = texts.resultType.StringView();
            item.evaluationTime = texts.evaluationTime.StringView();
            item.description = texts.description.StringView();
            item.comment = texts.comment.StringView();
        }
    } catch (const std::bad_alloc&) {
        item = ListedItem{};
        item.problem = "there was not enough memory to hold its texts";
    }
    const ListedItem* stored = &item;
    ListedItem unread;
    try {
        items_.Item(item);
    } catch (const std::bad_alloc&) {
        unread.problem = "there was not enough memory to keep it";
        items_.Item(unread);
        stored = &unread;
    }
    report_.items.Add(*stored);
    if (!stored->problem.empty())
        report_.Unreported(index, stored->problem);
}

}  // namespace

void ItemCounts::Add(const ListedItem& item)
{
    ++total;
    ++(item.result == "True" ? results.isTrue : item.result == "False" ? results.isFalse : results.other);
    const ItemStatus status = StatusOf(item);
    ++(status == ItemStatus::Passed ? passed : status == ItemStatus::Failed ? failed : errors);
}

void RunReport::Unreported(std::int32_t index, std::string why)
{
    ++unreportedCount;
    if (unreported.size() < 100)
        unreported.push_back({index, std::move(why)});
    Conclude();
}

void RunReport::Conclude()
{
    if (!CompletedStatus(outcome.status))
        return;
    if (unreportedCount != 0) {
        outcome = NotAllReported(unreportedCount, items.total, unreported.front().index, unreported.front().why);
        return;
    }
    // The items' counts, less those not evaluated (ItemStatus::Error) that the agent marked so.
    outcome = Completed(items.total, items.failed, items.errors);
}

RunReport DriveRun(const RunRequest& request, const RunLimits& limits, RunObserver& observer, ItemStore& items)
{
    return Driver(request, limits, observer, items).Run();
}
