#include "run/RunDriver.h"

#include "compliance/AgentChecks.h"
#include "compliance/ComplianceApi.h"
#include "compliance/ComplianceSession.h"
#include "compliance/ResultCodes.h"
#include "errors/WindowsError.h"
#include "files/FileIOError.h"
#include "files/Sleeper.h"
#include "text/CodePageConversion.h"
#include "text/Transcoding.h"
#include "run/ItemStatus.h"
#include "run/ResponseExport.h"

#include <algorithm>
#include <string>

namespace {

namespace R = ComplianceResult;

constexpr std::uint32_t pollInterval = 1000;  // between progress requests
constexpr std::uint64_t closeWait = 2000;     // what Close gets at most once the time limit has passed

// An exchange that ended without an answer (-3, -7): the agent may have died meanwhile.
bool NoAnswer(std::int32_t code)
{
    return code == R::RequestNotTaken || code == R::NoReadableAnswer;
}

class Driver {
public:
    Driver(const RunRequest& request, const RunLimits& limits, RunObserver& observer)
        : request_(request), limits_(limits), observer_(observer), clock_(CurrentSleeper()),
          session_(ComplianceSession::Process()), started_(limits.started.value_or(clock_.Now()))
    {
        if (limits.timeoutSeconds)
            deadline_ = started_ + std::uint64_t{*limits.timeoutSeconds} * 1000;
        session_.SetDeadline(deadline_);
        report_.request = request;
    }
    ~Driver() { session_.SetDeadline(std::nullopt); }

    RunReport Run();

private:
    // The run was stopped or its time ran out: what it then ends with.
    std::optional<Outcome> Interrupted() const
    {
        if (clock_.StopRequested())
            return Cancelled();
        if (deadline_ && clock_.Now() >= *deadline_)
            return TimedOut(*limits_.timeoutSeconds);
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
    void Open();
    void Results();
    void Item(const _bstr_t (&texts)[6]);
    void Close();

    const RunRequest& request_;
    const RunLimits& limits_;
    RunObserver& observer_;
    Sleeper& clock_;
    ComplianceSession& session_;
    const std::uint64_t started_;
    std::optional<std::uint64_t> deadline_;
    RunReport report_;
};

RunReport Driver::Run()
{
    const std::int32_t opened = COMPLIANCE_Open(request_.url, request_.document, request_.flags);
    if (opened != R::Success) {
        observer_.OpenFailed(opened);
        if (opened == R::RequestWaiting) {
            std::optional<std::uint64_t> waited;
            if (const std::optional<FILETIME> written = session_.WaitingRequestWritten())
                waited = SecondsSince(*written);
            report_.outcome = RequestWaiting(waited);
        } else {
            report_.outcome = NoAnswer(opened) ? WithoutAnswer(opened, OpenFailed(opened)) : OpenFailed(opened);
        }
    } else {
        std::int32_t percent = 0, error = 0, progress = R::ProgressRunning;
        std::optional<Outcome> stop;
        while (!(stop = Interrupted())) {
            progress = COMPLIANCE_Progress(percent, error);
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
            const bool fromAgent = session_.LastErrorFromAgent();
            report_.outcome = fromAgent ? ProgressError(error, true)
                                        : WithoutAnswer(error, ProgressError(error, false));
        } else {
            report_.outcome = ProgressFailed(progress);
        }
        Close();
    }
    report_.milliseconds = clock_.Now() - started_;
    return std::move(report_);
}

void Driver::Results()
{
    report_.outcome = Completed(1, 0, 0);  // what the items say comes at the end
    observer_.ResultsReady();
    if (request_.exportPath) {
        try {
            ExportResponseFile(*request_.exportPath);
            report_.exportWritten = true;
        } catch (const std::exception& e) {
            report_.outcome = ExportFailed(Narrow(View(*request_.exportPath)), ExportFailureReason(e));
        }
    }
    const std::int32_t count = COMPLIANCE_ResultCount();
    observer_.Count(count);
    for (std::int32_t index = 0; index < count; ++index) {
        if (clock_.StopRequested()) {
            report_.outcome = Cancelled();
            return;
        }
        _bstr_t texts[6];
        const std::int32_t got = COMPLIANCE_GetResult(index, texts[0], texts[1], texts[2], texts[3], texts[4], texts[5]);
        if (got == R::TextNotUtf8) {
            report_.outcome = InvalidResultText();
            return;
        }
        if (got == R::Success)
            Item(texts);
    }
    if (report_.outcome.code == R::ProgressComplete)  // no export failed
        report_.outcome = Completed(report_.total, report_.itemsFailed, report_.itemsNotEvaluated);
}

void Driver::Item(const _bstr_t (&texts)[6])
{
    ++report_.total;
    const std::wstring_view result = View(texts[1]);
    ++(result == L"True" ? report_.passed : result == L"False" ? report_.failed : report_.errors);
    const ItemStatus status = StatusOf(Narrow(result), Narrow(View(texts[2])));
    ++(status == ItemStatus::Passed ? report_.itemsPassed
                                    : status == ItemStatus::Failed ? report_.itemsFailed : report_.itemsNotEvaluated);
    if (limits_.keepItems)
        report_.items.push_back(ListedItemOf(texts));
    observer_.Item(texts);
}

// Close is bounded by the time limit, and by two seconds at least once it has passed or
// the run was stopped (the session gives a Close two seconds after a stop itself).
void Driver::Close()
{
    if (deadline_)
        session_.SetDeadline(std::max(*deadline_, clock_.Now() + closeWait));
    COMPLIANCE_Close();
}

}  // namespace

ListedItem ListedItemOf(const _bstr_t (&texts)[6])
{
    return {Narrow(View(texts[0])), Narrow(View(texts[1])), Narrow(View(texts[2])),
            Narrow(View(texts[3])), Narrow(View(texts[4])), Narrow(View(texts[5]))};
}

RunReport DriveRun(const RunRequest& request, const RunLimits& limits, RunObserver& observer)
{
    return Driver(request, limits, observer).Run();
}
