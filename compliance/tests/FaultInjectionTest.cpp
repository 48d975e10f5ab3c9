// Things going wrong around a session: files and keys that change under it, an agent that
// goes away. Each ends with the documented code, the session state of the state table,
// the lock released when the session closes, and no handle left open.
#include "compliance/ComplianceApi.h"
#include "compliance/ComplianceSession.h"
#include "compliance/ResponseFile.h"
#include "compliance/tests/MachineState.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

DWORD HandleCount()
{
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

class FaultInjection : public AgentEnvironment {
protected:
    void SetUp() override
    {
        AgentEnvironment::SetUp();
        handles_ = HandleCount();
    }
    void ExpectNoHandleLeft() { EXPECT_EQ(HandleCount(), handles_); }
    void Open(ScriptedAgent& agent)
    {
        agent.Then([this] {
            TakeRequest();
            Answer(ResponseDocument("Open"));
        });
        ASSERT_EQ(COMPLIANCE_Open(L"u", L"d", 0), 0);
    }

    DWORD handles_ = 0;
};

// Changes the answer exactly where the reader stands, once each.
class ResponseChanger final : public ResponseReadWatcher {
public:
    std::function<void()> beforeOpen;
    std::function<void(std::uint64_t)> afterWindow;

    void BeforeOpen() override
    {
        if (auto change = std::exchange(beforeOpen, nullptr))
            change();
    }
    void AfterWindow(std::uint64_t bytesRead) override
    {
        if (auto change = std::exchange(afterWindow, nullptr))
            change(bytesRead);
    }
};

// Puts a watcher in the process's session's reads for its own lifetime.
class Watching {
public:
    explicit Watching(ResponseReadWatcher& watcher) { ComplianceSession::Process().TestSeams().readWatcher = &watcher; }
    Watching(const Watching&) = delete;
    Watching& operator=(const Watching&) = delete;
    ~Watching() { ComplianceSession::Process().TestSeams().readWatcher = nullptr; }
};

// A progress answer of many items: several windows of the reader.
std::string LargeProgressAnswer(int state, int items)
{
    std::string body;
    for (int i = 0; i < items; ++i)
        body += "<ResponseItem><Designator>check-" + std::to_string(i) +
                "</Designator><Result>True</Result><ResultType>boolean</ResultType>"
                "<Description>A check with a description of ordinary length</Description></ResponseItem>";
    return ProgressResponse(state, body);
}

TEST_F(FaultInjection, AnswerMissingWhenTheRequestIsTakenThenGrowing)
{
    ScriptedAgent agent;
    Open(agent);
    DeleteFileW(Wide(responseFile_).c_str());
    const std::string answer = ProgressResponse(3, "<ResponseProgressPercent>5</ResponseProgressPercent>");
    agent.Then([this] { TakeRequest(); });                                            // taken, nothing written yet
    agent.Then([this, answer] { Answer(answer.substr(0, answer.size() / 3)); });      // a third of it
    agent.Then([this, answer] { Answer(answer); });                                    // all of it
    std::int32_t percent = 0, error = 0;
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 3);
    EXPECT_EQ(percent, 5);
    EXPECT_EQ(agent.pauses, (std::vector<std::uint32_t>{1000, 1000, 2000, 4000}));
    agent.Then([this] {
        TakeRequest();
        Answer(ResponseDocument("Close"));
    });
    EXPECT_EQ(COMPLIANCE_Close(), 0);
    ExpectNoHandleLeft();
}

// The directories are held from Open to Close: one cannot be replaced by a file (or a
// link) mid-session; once the session is closed it can.
TEST_F(FaultInjection, RequestDirectoryCannotBeReplacedMidSession)
{
    ScriptedAgent agent;
    Open(agent);
    EXPECT_FALSE(RemoveDirectoryW(Wide(requestDir_).c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    std::int32_t percent = 0, error = 0;
    agent.Next([this] {
        TakeRequest();
        Answer(ProgressResponse(3));
    });
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 3);
    agent.Next([this] {
        TakeRequest();
        Answer(ResponseDocument("Close"));
    });
    EXPECT_EQ(COMPLIANCE_Close(), 0);
    EXPECT_TRUE(RemoveDirectoryW(Wide(requestDir_).c_str()));
    ExpectNoHandleLeft();
}

TEST_F(FaultInjection, AgentGoneMidSession)
{
    ScriptedAgent agent;
    Open(agent);
    StopAgent();  // its mutex is gone, and nobody takes requests any more
    std::int32_t percent = 0, error = 0;
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 2);
    EXPECT_EQ(error, -3);
    EXPECT_EQ(COMPLIANCE_Close(), -3);
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
    // Neither request was left for it, nor waited for: it was gone before they were written.
    EXPECT_FALSE(PendingRequest());
    EXPECT_EQ(agent.pauses.size(), 1u);  // the Open's
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -2);
    ExpectNoHandleLeft();
}

TEST_F(FaultInjection, AnswerVanishesBetweenTheCheckAndTheOpen)
{
    ScriptedAgent agent;
    Open(agent);
    ResponseChanger changer;
    const Watching watching(changer);
    std::int32_t percent = 0, error = 0;

    // The request is taken and answered, and the answer is gone when the reader opens it;
    // the agent writes it again before the next look.
    changer.beforeOpen = [this] { ASSERT_TRUE(DeleteFileW(Wide(responseFile_).c_str())); };
    agent.Next([this] {
        TakeRequest();
        Answer(ProgressResponse(3, "<ResponseProgressPercent>40</ResponseProgressPercent>"));
    });
    agent.Then([this] { Answer(ProgressResponse(3, "<ResponseProgressPercent>40</ResponseProgressPercent>")); });
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 3);
    EXPECT_EQ(percent, 40);

    // Gone for good: the exchange ends without an answer, the session stays open.
    changer.beforeOpen = [this] { ASSERT_TRUE(DeleteFileW(Wide(responseFile_).c_str())); };
    agent.Next([this] {
        TakeRequest();
        Answer(ProgressResponse(1));
    });
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 2);
    EXPECT_EQ(error, -7);
    EXPECT_TRUE(ComplianceSession::Process().HoldsLock());
    agent.Next([this] {
        TakeRequest();
        Answer(ResponseDocument("Close"));
    });
    EXPECT_EQ(COMPLIANCE_Close(), 0);
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
    ExpectNoHandleLeft();
}

TEST_F(FaultInjection, AnswerStillBeingWrittenIsReadOnlyWhenTheWriterIsDone)
{
    ScriptedAgent agent;
    Open(agent);
    const std::string answer = LargeProgressAnswer(3, 2000);
    ASSERT_GT(answer.size(), 3u * 65568);
    // The agent has written half the answer and still holds the file open for writing.
    UniqueFile writer;
    agent.Next([&] {
        TakeRequest();
        WriteRaw(responseFile_, answer.substr(0, answer.size() / 2));
        writer.Reset(CreateFileW(Wide(responseFile_).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer);
    });
    // It writes the rest and closes the file before the next look.
    agent.Then([&] {
        DWORD written = 0;
        const std::string rest = answer.substr(answer.size() / 2);
        ASSERT_TRUE(WriteFile(writer.Get(), rest.data(), static_cast<DWORD>(rest.size()), &written, nullptr));
        writer.Reset();
    });
    std::int32_t percent = 0, error = 0;
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 3);
    EXPECT_EQ(agent.pauses, (std::vector<std::uint32_t>{1000, 1000, 2000}));

    // Nobody can make the answer grow while it is read: a writer that comes during the
    // read is refused, and the reader sees the document it opened, whole.
    const std::string complete = LargeProgressAnswer(1, 2000);
    ResponseChanger changer;
    const Watching watching(changer);
    DWORD refused = 0;
    changer.afterWindow = [&](std::uint64_t bytesRead) {
        EXPECT_LT(bytesRead, complete.size());
        const UniqueFile late(CreateFileW(Wide(responseFile_).c_str(), FILE_APPEND_DATA,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        refused = late ? 0 : GetLastError();
    };
    agent.Next([&] {
        TakeRequest();
        Answer(complete);
    });
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 1);
    EXPECT_EQ(refused, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(COMPLIANCE_ResultCount(), 2000);

    agent.Next([this] {
        TakeRequest();
        Answer(ResponseDocument("Close"));
    });
    EXPECT_EQ(COMPLIANCE_Close(), 0);
    ExpectNoHandleLeft();
}

}  // namespace
