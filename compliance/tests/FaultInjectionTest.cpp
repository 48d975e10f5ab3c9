// Things going wrong around a session: files and keys that change under it, an agent that
// goes away. Each ends with the documented code, the session state of the state table,
// the lock released when the session closes, and no handle left open.
#include "compliance/ComplianceApi.h"
#include "compliance/ComplianceLock.h"
#include "compliance/Registry.h"
#include "compliance/RequestFile.h"
#include "compliance/tests/MachineState.h"

#include <gtest/gtest.h>

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
        RequestDirectory();  // the process-wide watch is set up once, before handles are counted
        handles_ = HandleCount();
    }
    void ExpectNoHandleLeft() { EXPECT_EQ(HandleCount(), handles_); }
    void Open(ScriptedAgent& agent)
    {
        agent.Then([this] {
            TakeRequest();
            Answer(Response("Open"));
        });
        ASSERT_EQ(COMPLIANCE_Open(L"u", L"d", 0), 0);
    }

    DWORD handles_ = 0;
};

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
        Answer(Response("Close"));
    });
    EXPECT_EQ(COMPLIANCE_Close(), 0);
    ExpectNoHandleLeft();
}

TEST_F(FaultInjection, RequestDirectoryReplacedByAFile)
{
    ScriptedAgent agent;
    Open(agent);
    ASSERT_TRUE(RemoveDirectoryW(Wide(requestDir_).c_str()));
    WriteRaw(requestDir_, "not a directory");
    std::int32_t percent = 0, error = 0;
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 2);
    EXPECT_EQ(error, -17);
    EXPECT_TRUE(ComplianceLock::Held());  // a failed Progress leaves the session open
    EXPECT_EQ(COMPLIANCE_Close(), -17);
    EXPECT_FALSE(ComplianceLock::Held());
    ExpectNoHandleLeft();
}

TEST_F(FaultInjection, RegistryKeyDeletedWhileWatchedThenBack)
{
    ScriptedAgent agent;
    Open(agent);
    ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, ApiKeyPath), ERROR_SUCCESS);
    std::int32_t percent = 0, error = 0;
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 2);
    // Windows reports the deleted key to the watch (-17: the directory is gone with it);
    // Wine does not, and the cached directory is still used, where nobody answers (-3).
    EXPECT_TRUE(error == -17 || error == -3) << error;
    DeleteFileW(Wide(requestFile_).c_str());
    // The values come back: the directory is found again without a new process.
    registry_.SetString(ApiKeyPath, L"RequestDir", Wide(requestDir_));
    registry_.SetString(ApiKeyPath, L"ResponseDir", Wide(responseDir_));
    agent.Next([this] {
        TakeRequest();
        Answer(ProgressResponse(1));
    });
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 1);
    agent.Next([this] {
        TakeRequest();
        Answer(Response("Close"));
    });
    EXPECT_EQ(COMPLIANCE_Close(), 0);
    EXPECT_FALSE(ComplianceLock::Held());
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
    EXPECT_FALSE(ComplianceLock::Held());
    ASSERT_TRUE(DeleteFileW(Wide(requestFile_).c_str()));
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -2);
    ExpectNoHandleLeft();
}

}  // namespace
