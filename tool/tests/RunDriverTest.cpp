// The run's driver against agents that misbehave, in virtual time: the time limit and a
// stop (Ctrl+C) end every part of the run within their bounds, with the status that says
// what happened, and a Close goes to the agent wherever a session was open.
#include "compliance/ComplianceLock.h"
#include "compliance/ComplianceSession.h"
#include "compliance/tests/MachineState.h"
#include "tool/Listing.h"
#include "run/RunDriver.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

enum class Agent {
    NeverTakes,         // leaves every request where it is
    Evaluates,          // answers; its evaluation never ends
    Finishes,           // answers; done at the second Progress
    StopsAnswering,     // answers Open and the first Progress, then takes requests and answers nothing
    SlowClose,          // as Finishes, but never takes the Close
    DiesMidProgress,    // answers Open and the first Progress, then its process is gone
    TakesThenDies,      // as DiesMidProgress, but takes the second Progress before it goes
};

struct Bound {
    const char* name;
    Agent agent;
    std::optional<std::uint32_t> timeoutSeconds;
    std::optional<std::uint64_t> stopAt;  // virtual milliseconds
    ExitStatus status;
    std::uint64_t endsBy;  // virtual milliseconds
    bool closeSent;
};

class DriverBounds : public AgentEnvironment, public ::testing::WithParamInterface<Bound> {
protected:
    // What the agent does with the request it finds in a pause.
    void React(Agent kind)
    {
        const std::optional<std::string> pending = PendingRequest();
        if (!pending || kind == Agent::NeverTakes)
            return;
        const auto is = [&](const char* type) {
            return pending->find(std::string("<RequestType>") + type + "</RequestType>") != std::string::npos;
        };
        if (is("Close") && kind == Agent::SlowClose)
            return;
        const bool progress = is("Progress");
        progresses_ += progress ? 1 : 0;
        if ((kind == Agent::DiesMidProgress || kind == Agent::TakesThenDies) && progresses_ > 1) {
            if (kind == Agent::TakesThenDies && progresses_ == 2)
                TakeRequest();
            StopAgent();
            return;
        }
        seen_.push_back(is("Open") ? "Open" : progress ? "Progress" : "Close");
        TakeRequest();
        if (kind == Agent::StopsAnswering && progresses_ > 1)
            return;
        if (!progress)
            Answer(ResponseDocument(seen_.back()));
        else if ((kind == Agent::Finishes || kind == Agent::SlowClose) && progresses_ > 1)
            Answer(ProgressResponse(1, "\t<ResponseItem><Designator>d</Designator><Result>True</Result></ResponseItem>\r\n"));
        else
            Answer(ProgressResponse(3, "\t<ResponseProgressPercent>40</ResponseProgressPercent>\r\n"));
    }

    int progresses_ = 0;
    std::vector<std::string> seen_;
};

class Silent final : public RunObserver {};

TEST_P(DriverBounds, EndWithinTheirBound)
{
    const Bound& c = GetParam();
    ScriptedAgent agent;
    agent.stopAt = c.stopAt;
    agent.always = [this, &c] { React(c.agent); };
    Silent silent;
    RunLimits limits;
    limits.timeoutSeconds = c.timeoutSeconds;
    KeptItems items;
    const RunReport report = DriveRun({L"u", L"d", 0, std::nullopt}, limits, silent, items);
    EXPECT_EQ(report.outcome.status, c.status) << report.outcome.message;
    EXPECT_LE(agent.Now(), c.endsBy);
    EXPECT_EQ(report.milliseconds, agent.Now());
    const std::optional<std::string> pending = PendingRequest();
    const bool closeWritten = std::count(seen_.begin(), seen_.end(), "Close") == 1 ||
                              (pending && pending->find("<RequestType>Close</RequestType>") != std::string::npos);
    EXPECT_EQ(closeWritten, c.closeSent);
    // An Open nobody took is not left for the agent to find later, nor anything for an agent that is gone.
    if (pending) {
        EXPECT_EQ(pending->find("<RequestType>Open</RequestType>"), std::string::npos);
        EXPECT_NE(c.agent, Agent::DiesMidProgress) << *pending;
    }
    EXPECT_TRUE(ComplianceLock().Acquire());
}

INSTANTIATE_TEST_SUITE_P(
    Each, DriverBounds,
    ::testing::Values(
        // The time limit over an Open nobody takes, a Progress nobody answers, a slow Close.
        Bound{"DeadlineAtOpen", Agent::NeverTakes, 3, std::nullopt, ExitStatus::TimedOut, 3000, false},
        Bound{"DeadlineMidProgress", Agent::StopsAnswering, 5, std::nullopt, ExitStatus::TimedOut, 7000, true},
        Bound{"DeadlineWhileEvaluating", Agent::Evaluates, 4, std::nullopt, ExitStatus::TimedOut, 6000, true},
        // A Close the agent does not take is bounded; the completed evaluation keeps its outcome.
        Bound{"DeadlineDuringClose", Agent::SlowClose, 5, std::nullopt, ExitStatus::Compliant, 7000, true},
        Bound{"NoLimit", Agent::Finishes, std::nullopt, std::nullopt, ExitStatus::Compliant, 5000, true},
        // Ctrl+C at Open, during progress and during Close: 2 s at most after it.
        Bound{"StopAtOpen", Agent::NeverTakes, std::nullopt, 1500, ExitStatus::Cancelled, 1500, false},
        Bound{"StopDuringProgress", Agent::Evaluates, std::nullopt, 4500, ExitStatus::Cancelled, 6500, true},
        Bound{"StopDuringClose", Agent::SlowClose, std::nullopt, 5000, ExitStatus::Compliant, 7000, true},
        // The agent's process ends mid-evaluation (at 4 s, as it meets the second Progress):
        // said so within 2 s, not "no answer", with no Close sent to it and no request left.
        Bound{"AgentDies", Agent::DiesMidProgress, std::nullopt, std::nullopt, ExitStatus::AgentNotRunning, 6000,
              false},
        Bound{"AgentTakesARequestAndDies", Agent::TakesThenDies, std::nullopt, std::nullopt,
              ExitStatus::AgentNotRunning, 6000, false},
        Bound{"AgentDiesWithinTheLimit", Agent::DiesMidProgress, 6, std::nullopt, ExitStatus::AgentNotRunning, 6000,
              false}),
    [](const auto& info) { return std::string(info.param.name); });


// --wait-lock: another session's lock is waited for, within the limit asked for and the
// time limit, then the run goes on as if it had been free; past the limit it is busy.
TEST_F(DriverBounds, WaitsForAnotherSessionsLockWithinItsLimit)
{
    const struct {
        std::uint32_t waitLock;
        std::optional<std::uint32_t> timeout;
        std::uint64_t letGoAt;  // virtual milliseconds
        ExitStatus status;
        std::uint64_t endsBy;
    } cases[] = {
        {5, std::nullopt, 3000, ExitStatus::Compliant, 9000},
        {2, std::nullopt, 60000, ExitStatus::Busy, 2000},
        {10, 3, 60000, ExitStatus::Busy, 3000},
    };
    for (const auto& c : cases) {
        progresses_ = 0;
        seen_.clear();
        std::optional<ComplianceLock> other;
        ASSERT_TRUE(other.emplace().Acquire());
        ScriptedAgent agent;
        agent.always = [&] {
            if (other && agent.Now() >= c.letGoAt)
                other.reset();
            React(Agent::Finishes);
        };
        Silent silent;
        KeptItems items;
        RunLimits limits;
        limits.waitLockSeconds = c.waitLock;
        limits.timeoutSeconds = c.timeout;
        const RunReport report = DriveRun({L"u", L"d", 0, std::nullopt}, limits, silent, items);
        EXPECT_EQ(report.outcome.status, c.status) << c.waitLock << ": " << report.outcome.message;
        EXPECT_LE(agent.Now(), c.endsBy) << c.waitLock;
        other.reset();
        EXPECT_TRUE(ComplianceLock().Acquire());
    }
}

// What fails after Open, wherever it fails, closes the session: the agent gets Close, the
// lock is free, and the run says what happened. An item that cannot be kept is counted
// and named, so the run is never taken as compliant.
enum class Fault { ObserverThrows, ObserverOutOfMemory, StoreOutOfMemoryOnce, StoreThrows, ExportFails };
struct AfterOpen {
    const char* name;
    Fault fault;
    ExitStatus status;
};

class FailureAfterOpen : public DriverBounds {};

class Faulty final : public RunObserver, public ItemStore {
public:
    explicit Faulty(Fault fault) : fault_(fault) {}
    void ResultsReady() override
    {
        if (fault_ == Fault::ObserverThrows)
            throw std::runtime_error("the presenter failed");
        if (fault_ == Fault::ObserverOutOfMemory)
            throw std::bad_alloc();
    }
    void Item(const ListedItem& item) override
    {
        if (fault_ == Fault::StoreThrows)
            throw std::runtime_error("the store failed");
        if (fault_ == Fault::StoreOutOfMemoryOnce && !failed_) {
            failed_ = true;
            throw std::bad_alloc();
        }
        kept.Item(item);
    }
    void ForEach(const std::function<void(const ListedItem&)>& each) const override { kept.ForEach(each); }

    KeptItems kept;

private:
    Fault fault_;
    bool failed_ = false;
};

TEST_F(FailureAfterOpen, ClosesTheSessionAndSaysWhy)
{
    const AfterOpen cases[] = {
        {"ObserverThrows", Fault::ObserverThrows, ExitStatus::Unexpected},
        {"ObserverOutOfMemory", Fault::ObserverOutOfMemory, ExitStatus::Unexpected},
        {"StoreOutOfMemoryOnce", Fault::StoreOutOfMemoryOnce, ExitStatus::NotAllReported},
        {"StoreThrows", Fault::StoreThrows, ExitStatus::Unexpected},
        {"ExportFails", Fault::ExportFails, ExitStatus::ExportFailed},
    };
    for (const AfterOpen& c : cases) {
        progresses_ = 0;
        seen_.clear();
        ScriptedAgent agent;
        agent.always = [this] { React(Agent::Finishes); };
        Faulty faulty(c.fault);
        RunRequest request{L"u", L"d", 0, std::nullopt};
        if (c.fault == Fault::ExportFails)
            request.exportPath = _bstr_t(Wide(scratch_ / "no such folder\\out.xml").c_str());
        const RunReport report = DriveRun(request, {}, faulty, faulty);
        EXPECT_EQ(report.outcome.status, c.status) << c.name << ": " << report.outcome.message;
        EXPECT_EQ(std::count(seen_.begin(), seen_.end(), "Close"), 1) << c.name;
        EXPECT_TRUE(ComplianceLock().Acquire()) << c.name;
        EXPECT_FALSE(ComplianceSession::Process().IsOpen()) << c.name;
        if (c.status == ExitStatus::NotAllReported) {
            // The agent's one item: counted, kept as one that could not be held, and named.
            EXPECT_EQ(report.count, 1);
            EXPECT_EQ(report.items.total, 1u);
            EXPECT_EQ(report.items.errors, 1u);
            ASSERT_EQ(faulty.kept.items.size(), 1u) << c.name;
            EXPECT_EQ(faulty.kept.items[0].problem, "there was not enough memory to keep it");
            EXPECT_NE(report.outcome.message.find("item 0: there was not enough memory"), std::string::npos)
                << report.outcome.message;
        }
    }
}

// An item's texts in the listing: every control character but TAB shown as an escape, so
// no text clears the screen, rings, or forges a line; everything else as it was.
TEST(Listing, ControlCharactersAreShownNotObeyed)
{
    const struct {
        std::wstring text, shown;
    } cases[] = {
        {L"plain text, \u00e9t\u00e9 and \u4e2d\u6587\ttabbed", L"plain text, \u00e9t\u00e9 and \u4e2d\u6587\ttabbed"},
        {L"\x1b[2Jcleared", L"\\x1b[2Jcleared"},
        {L"ring\a", L"ring\\x07"},
        {L"x\r\n    Designator: forged\r\n        Result: True", L"x\\r\\n    Designator: forged\\r\\n        Result: True"},
        {L"del\x7f c1\x85\x9b end", L"del\\x7f c1\\x85\\x9b end"},
        {std::wstring(1, L'\0') + L"nul", L"\\x00nul"},
        {L"a backslash \\x1b stays", L"a backslash \\x1b stays"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListingText(c.text), c.shown);
    // A 64 KB comment of control characters comes out whole.
    const std::wstring large(65536, L'\n');
    std::wstring escaped;
    for (int i = 0; i < 65536; ++i)
        escaped += L"\\n";
    EXPECT_EQ(ListingText(large), escaped);

    // What the listing writes to a file (standard output redirected): one line per text.
    wchar_t folder[MAX_PATH + 1], path[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, folder);
    GetTempFileNameW(folder, L"lst", 0, path);
    std::fflush(stdout);
    const int saved = _dup(_fileno(stdout));
    FILE* file = _wfopen(path, L"wb");
    ASSERT_TRUE(file);
    _dup2(_fileno(file), _fileno(stdout));
    {
        ListingPresenter listing;
        listing.Item({"d", "True\r\n    Designator: forged", "boolean", "1", "\x1b[2J", "ok", ""});
    }
    std::fflush(stdout);
    _dup2(saved, _fileno(stdout));
    _close(saved);
    std::fclose(file);
    std::string written;
    {
        FILE* in = _wfopen(path, L"rb");
        ASSERT_TRUE(in);
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) != 0;)
            written.append(buffer, n);
        std::fclose(in);
    }
    DeleteFileW(path);
    // (The file is binary: the line ends are the listing's own, before a text stream's.)
    EXPECT_EQ(written, "    Designator: d\n        Result: True\\r\\n    Designator: forged\n   Result Type: boolean\n"
                       "Eval Time (\xB5s): 1\n          Desc: \\x1b[2J\n       Comment: ok\n\n");
}

}  // namespace
