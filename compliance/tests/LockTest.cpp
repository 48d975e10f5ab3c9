#include "compliance/ComplianceApi.h"
#include "compliance/ComplianceLock.h"
#include "compliance/ComplianceSession.h"
#include "compliance/tests/MachineState.h"
#include "files/tests/TestPlatform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Another process holding a named mutex for as long as this object lives.
class OtherProcessHolding {
public:
    explicit OtherProcessHolding(const std::wstring& mutexName)
    {
        const std::wstring suffix = std::to_wstring(GetCurrentProcessId());
        const std::wstring readyName = L"verimark-test-ready-" + suffix, stopName = L"verimark-test-stop-" + suffix;
        ready_.Reset(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
        stop_.Reset(CreateEventW(nullptr, TRUE, FALSE, stopName.c_str()));
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring helper = self;
        helper = helper.substr(0, helper.find_last_of(L'\\') + 1) + L"hold_named_mutex.exe";
        std::wstring command = L"\"" + helper + L"\" \"" + mutexName + L"\" " + readyName + L" " + stopName;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(helper.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info))
            throw std::runtime_error("cannot start the helper");
        process_.Reset(info.hProcess);
        UniqueHandle thread(info.hThread);
        HANDLE waits[] = {ready_.Get(), process_.Get()};
        if (WaitForMultipleObjects(2, waits, FALSE, Scaled(DWORD{30000})) != WAIT_OBJECT_0)
            throw std::runtime_error("the helper did not take the mutex");
    }
    ~OtherProcessHolding()
    {
        SetEvent(stop_.Get());
        WaitForSingleObject(process_.Get(), Scaled(DWORD{30000}));
    }

private:
    UniqueHandle ready_, stop_, process_;
};

DWORD HandleCount()
{
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

TEST(ComplianceLock, SecondAcquireInTheSameProcessFails)
{
    ComplianceLock lock, second;
    ASSERT_TRUE(lock.Acquire());
    EXPECT_FALSE(lock.Acquire());
    EXPECT_TRUE(lock.Held());
    // Another holder in this process is refused as another process would be, and keeps nothing.
    EXPECT_FALSE(second.Acquire());
    EXPECT_FALSE(second.Held());
    EXPECT_TRUE(lock.Release());
    EXPECT_FALSE(lock.Release());
    EXPECT_TRUE(lock.Acquire());
    EXPECT_TRUE(lock.Release());
}

class LockHeldElsewhere : public AgentEnvironment {
};

TEST_F(LockHeldElsewhere, OpenGetsMinusSixAndKeepsNoHandle)
{
    OtherProcessHolding other(L"Quorlan Client Compliance Lock");
    const DWORD before = HandleCount();
    ComplianceLock lock;
    EXPECT_FALSE(lock.Acquire());
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -6);
    EXPECT_EQ(HandleCount(), before);
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
    EXPECT_FALSE(PendingRequest());
}

TEST_F(LockHeldElsewhere, AgentProcessExitingMidSession)
{
    StopAgent();
    auto agent = std::make_unique<OtherProcessHolding>(L"Global\\One Quorlan TVKClient At A Time");
    ScriptedAgent script;
    script.Then([this] {
        TakeRequest();
        Answer(ResponseDocument("Open"));
    });
    const DWORD before = HandleCount();
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), 0);  // a mutex in another process counts as running
    agent.reset();                                 // the agent's process ends: nobody takes requests now
    std::int32_t percent = 0, error = 0;
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 2);
    EXPECT_EQ(error, -3);
    EXPECT_TRUE(ComplianceSession::Process().HoldsLock());
    EXPECT_EQ(COMPLIANCE_Close(), -3);
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
    EXPECT_EQ(HandleCount(), before);
    EXPECT_FALSE(PendingRequest());  // nothing is written for an agent that is gone
    EXPECT_EQ(script.pauses.size(), 1u);  // nor waited for
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -2);
}

}  // namespace
