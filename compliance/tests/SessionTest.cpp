#include "compliance/ComplianceApi.h"
#include "compliance/ComplianceSession.h"
#include "compliance/Registry.h"
#include "compliance/SecuritySource.h"
#include "errors/WindowsError.h"
#include "compliance/tests/MachineState.h"
#include "files/tests/Links.h"
#include "files/tests/TestPlatform.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using Pauses = std::vector<std::uint32_t>;

const Pauses fullWait{1000, 2000, 4000, 3000};

class Session : public AgentEnvironment {
protected:
    // Open with an agent that takes the request and answers in the first pause.
    void OpenSession(ScriptedAgent& agent)
    {
        agent.Then([this] {
            TakeRequest();
            Answer(ResponseDocument("Open"));
        });
        ASSERT_EQ(COMPLIANCE_Open(L"http://server:52311/cgi-bin/bfgather.exe/actionsite", L"Patch Baseline", 5), 0);
    }
    // One Progress call answered in its first pause.
    std::int32_t Progress(ScriptedAgent& agent, const std::string& answer, std::int32_t& percent, std::int32_t& error)
    {
        agent.Then([this, answer] {
            TakeRequest();
            Answer(answer);
        });
        return COMPLIANCE_Progress(percent, error);
    }
};

TEST_F(Session, NothingWorksBeforeOpen)
{
    std::int32_t percent = 77, error = 0;
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 2);
    EXPECT_EQ(error, -6);
    EXPECT_EQ(percent, 77);
    EXPECT_EQ(COMPLIANCE_Close(), -6);
    EXPECT_EQ(COMPLIANCE_ResultCount(), -8);
    _bstr_t a, b, c, d, e, f;
    EXPECT_EQ(COMPLIANCE_GetResult(0, a, b, c, d, e, f), -8);
}

TEST_F(Session, WholeSessionFromOpenToClose)
{
    ScriptedAgent agent;
    agent.Then([this] {
        const std::string request = TakeRequest();
        EXPECT_EQ(request,
                  "<?xml version=\"1.0\"?>\r\n<TVKVerimarkRequest Version=\"1.0\">\r\n"
                  "\t<RequestType>Open</RequestType>\r\n"
                  "\t<RequestURL>http://server:52311/cgi-bin/bfgather.exe/actionsite</RequestURL>\r\n"
                  "\t<RequestDOC>Patch Baseline</RequestDOC>\r\n\t<RequestFlags>5</RequestFlags>\r\n"
                  "</TVKVerimarkRequest>");
        Answer(ResponseDocument("Open"));
    });
    ASSERT_EQ(COMPLIANCE_Open(L"http://server:52311/cgi-bin/bfgather.exe/actionsite", L"Patch Baseline", 5), 0);
    EXPECT_EQ(agent.pauses, Pauses{1000});
    EXPECT_TRUE(ComplianceSession::Process().HoldsLock());
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -15);

    std::int32_t percent = -1, error = 0;
    EXPECT_EQ(Progress(agent, ProgressResponse(3, "\t<ResponseProgressPercent>40</ResponseProgressPercent>\r\n"),
                       percent, error),
              3);
    EXPECT_EQ(percent, 40);
    EXPECT_EQ(COMPLIANCE_ResultCount(), -8);

    const std::string items =
        "\t<ResponseItem><Designator>d1</Designator><Result>True</Result><ResultType>boolean</ResultType>"
        "<EvaluationTime>12</EvaluationTime><Description>first &amp; one</Description><Comment>c1</Comment>"
        "</ResponseItem>\r\n"
        "\t<ResponseItem><Designator>d2</Designator><Comment>caf\xC3\xA9</Comment></ResponseItem>\r\n";
    EXPECT_EQ(Progress(agent, ProgressResponse(1, items), percent, error), 1);
    EXPECT_EQ(COMPLIANCE_ResultCount(), 2);
    _bstr_t designator, result, type, time, description, comment;
    ASSERT_EQ(COMPLIANCE_GetResult(0, designator, result, type, time, description, comment), 0);
    EXPECT_STREQ(static_cast<const wchar_t*>(designator), L"d1");
    EXPECT_STREQ(static_cast<const wchar_t*>(result), L"True");
    EXPECT_STREQ(static_cast<const wchar_t*>(type), L"boolean");
    EXPECT_STREQ(static_cast<const wchar_t*>(time), L"12");
    EXPECT_STREQ(static_cast<const wchar_t*>(description), L"first & one");
    EXPECT_STREQ(static_cast<const wchar_t*>(comment), L"c1");
    ASSERT_EQ(COMPLIANCE_GetResult(1, designator, result, type, time, description, comment), 0);
    EXPECT_EQ(result.length(), 0u);
    EXPECT_STREQ(static_cast<const wchar_t*>(comment), L"caf\x00E9");
    EXPECT_EQ(COMPLIANCE_GetResult(2, designator, result, type, time, description, comment), -20);
    EXPECT_EQ(COMPLIANCE_GetResult(-1, designator, result, type, time, description, comment), -20);

    // Ready results are answered without asking the agent again.
    const std::size_t pausesBefore = agent.pauses.size();
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 1);
    EXPECT_EQ(agent.pauses.size(), pausesBefore);
    EXPECT_FALSE(PendingRequest());

    agent.Then([this] {
        EXPECT_NE(TakeRequest().find("<RequestType>Close</RequestType>\r\n</TVKVerimarkRequest>"), std::string::npos);
        Answer(ResponseDocument("Close"));
    });
    EXPECT_EQ(COMPLIANCE_Close(), 0);
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
    EXPECT_EQ(COMPLIANCE_ResultCount(), -8);
}

TEST_F(Session, AgentChecksInOrder)
{
    registry_.Remove(ClientKeyPath, L"Version");
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -1);
    registry_.SetString(ClientKeyPath, L"Version", L"");
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -1);
    registry_.SetDword(ClientKeyPath, L"Version", 5);
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -1);
    registry_.SetString(ClientKeyPath, L"Version", L"4.1.7");
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -9);
    registry_.SetString(ClientKeyPath, L"Version", L"4.2");
    StopAgent();
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -2);
    agentMutex_.Reset(CreateMutexW(nullptr, FALSE, L"Global\\One Quorlan TVKClient At A Time"));
    registry_.Remove(ApiKeyPath, L"ResponseDir");
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -4);
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
    EXPECT_FALSE(PendingRequest());
}

// An agent of the other bitness keeps its values in the other registry view only.
TEST_F(Session, AgentWhoseValuesAreInTheOtherViewOnly)
{
    registry_.Remove(ClientKeyPath, L"Version");
    ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, ApiKeyPath), ERROR_SUCCESS);
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -1);
    otherView_.SetString(ClientKeyPath, L"Version", L"4.1.8");
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -4);
    otherView_.SetString(ApiKeyPath, L"RequestDir", Wide(requestDir_));
    otherView_.SetString(ApiKeyPath, L"ResponseDir", Wide(responseDir_));
    ScriptedAgent agent;
    OpenSession(agent);
    agent.Then([this] {
        TakeRequest();
        Answer(ResponseDocument("Close"));
    });
    EXPECT_EQ(COMPLIANCE_Close(), 0);
}

TEST_F(Session, DirectoriesAreCreatedWhenTheirParentExists)
{
    const FileLocation fresh = scratch_ / "fresh";
    registry_.SetString(ApiKeyPath, L"ResponseDir", Wide(fresh));
    ScriptedAgent agent;
    agent.Then([this, fresh] {
        TakeRequest();
        WriteRaw(FileLocation::Child(fresh, "response.xml"), ResponseDocument("Open"));
    });
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), 0);
    EXPECT_TRUE(fresh.IsDirectory());
}

// Every value that cannot be worked in safely is -23 (-4 when empty), creates nothing,
// writes nothing, and leaves the session closed.
TEST_F(Session, UnusableDirectoryValuesCloseTheSession)
{
    const FileLocation file = scratch_ / "a-file";
    WriteRaw(file, "x");
    const std::wstring scratch = Wide(scratch_.Root());
    const struct {
        const char* what;
        std::wstring value;
        std::int32_t code;
    } cases[] = {
        {"a missing parent", scratch + L"\\missing\\responses", -23},
        {"a file", Wide(file), -23},
        {"empty", L"", -4},
        {"relative", L"relative", -23},
        {"relative to a drive", L"C:responses", -23},
        {"rooted without a drive", L"\\responses", -23},
        {"through ..", scratch + L"\\responses\\..\\elsewhere", -23},
        {"through .", scratch + L"\\.\\elsewhere", -23},
        {"a device path", L"\\\\.\\" + scratch, -23},
        {"the object root", L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\x", -23},
        {"a volume name", L"\\\\?\\Volume{01234567-89ab-cdef-0123-456789abcdef}\\x", -23},
        {"UNC", L"\\\\server\\share\\responses", -23},
        {"UNC in the extended form", L"\\\\?\\UNC\\server\\share\\responses", -23},
        {"a device name", scratch + L"\\NUL", -23},
        {"a stream", scratch + L"\\responses:stream", -23},
        {"a trailing dot", scratch + L"\\elsewhere.", -23},
        {"a drive's root", L"C:\\", -23},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        registry_.SetString(ApiKeyPath, L"ResponseDir", c.value);
        EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), c.code);
        EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
        EXPECT_FALSE(PendingRequest());
    }
    EXPECT_EQ((scratch_ / "missing").Attributes(), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ((scratch_ / "elsewhere").Attributes(), INVALID_FILE_ATTRIBUTES);
    // The extended form of a drive path is an absolute local path like any other.
    registry_.SetString(ApiKeyPath, L"ResponseDir", L"\\\\?\\" + Wide(responseDir_));
    ScriptedAgent agent;
    agent.Then([this] {
        TakeRequest();
        Answer(ResponseDocument("Open"));
    });
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), 0);
    agent.Then([this] {
        TakeRequest();
        Answer(ResponseDocument("Close"));
    });
    EXPECT_EQ(COMPLIANCE_Close(), 0);
    // Refused permission to create: under Wine, in /sys (Z:\sys), where even root may not
    // make a directory; in /proc the name is simply not found. Windows has no Z: drive
    // there, so the parent is missing.
    registry_.SetString(ApiKeyPath, L"ResponseDir", L"Z:\\sys\\verimark-responses");
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), RunningUnderWine() ? -25 : -23);
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
    registry_.SetString(ApiKeyPath, L"ResponseDir", L"Z:\\proc\\verimark-responses");
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -23);
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
}

// A directory link, as the directory or in a parent, would send the session's files where
// its owner likes. Open refuses it and writes nothing, neither the request nor a directory
// it would have created.
TEST_F(Session, DirectoryLinksAreRefused)
{
    const FileLocation empty = scratch_ / "empty-target", full = scratch_ / "full-target";
    ASSERT_TRUE(CreateDirectoryW(Wide(empty).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Wide(full).c_str(), nullptr));
    WriteRaw(FileLocation::Child(full, "boot.ini"), "kept");
    ASSERT_TRUE(CreateDirectoryW(Wide(FileLocation::Child(full, "requests")).c_str(), nullptr));
    const FileLocation toEmpty = scratch_ / "link-to-empty", toFull = scratch_ / "link-to-full";
    MakeSymbolicLink(toEmpty, empty);
    MakeSymbolicLink(toFull, full);
    const struct {
        const char* what;
        FileLocation requests;
    } cases[] = {
        {"a link to an empty folder", toEmpty},
        {"a link to a folder holding files", toFull},
        {"an existing folder through a linked parent", FileLocation::Child(toFull, "requests")},
        {"a missing folder through a linked parent", FileLocation::Child(toEmpty, "requests")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        registry_.SetString(ApiKeyPath, L"RequestDir", Wide(c.requests));
        EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -23);
        EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
        EXPECT_EQ(NamesIn(empty), std::set<std::wstring>{});
        EXPECT_EQ(NamesIn(full), (std::set<std::wstring>{L"boot.ini", L"requests"}));
        EXPECT_EQ(NamesIn(FileLocation::Child(full, "requests")), std::set<std::wstring>{});
    }
}

// Whoever else may write in an exchange directory could plant the agent's answers. An
// elevated session refuses such a directory before it writes anything; any other goes on
// and tells which directory, who and what. Wine keeps no access lists: the descriptors are
// given through the security source, request directory first.
TEST_F(Session, DirectoriesOthersMayWriteInAreNamedAndRefusedWhenElevated)
{
    struct Descriptors final : SecuritySource {
        bool elevated = true;
        std::vector<std::wstring> given;  // in the order asked
        std::size_t asked = 0;
        bool Elevated() override { return elevated; }
        std::wstring ProcessUser() override { return L"S-1-5-21-1-2-3-500"; }
        std::wstring OwnerOf(HANDLE) override { return L"S-1-5-18"; }  // the agent's answers
        std::wstring DescriptorOf(HANDLE) override
        {
            if (asked >= given.size() || given[asked].empty())
                throw Windows::Error(ERROR_ACCESS_DENIED);
            return given[asked++];
        }
    } security;
    const ScopedSecuritySource scoped(security);
    const std::wstring closed = L"O:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    const std::wstring usersCreate = closed + L"(A;;0x2;;;BU)";
    const struct {
        const char* what;
        bool elevated;
        std::vector<std::wstring> descriptors;
        std::int32_t code;
        std::vector<ExchangeDirectory> named;
    } cases[] = {
        {"both closed, elevated", true, {closed, closed}, 0, {}},
        {"users may create responses, elevated", true, {closed, usersCreate}, -27, {ExchangeDirectory::Response}},
        {"users may create requests, elevated", true, {usersCreate, closed}, -27, {ExchangeDirectory::Request}},
        {"permissions that cannot be read, elevated", true, {closed, L""}, -23, {}},
        {"both open, not elevated", false, {usersCreate, usersCreate}, 0,
         {ExchangeDirectory::Request, ExchangeDirectory::Response}},
        {"permissions that cannot be read, not elevated", false, {L"", L""}, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        security.elevated = c.elevated;
        security.given = c.descriptors;
        security.asked = 0;
        ScriptedAgent agent;
        agent.Then([this] {
            TakeRequest();
            Answer(ResponseDocument("Open"));
        });
        EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), c.code);
        const std::vector<DirectoryOpenToOthers>& named = ComplianceSession::Process().DirectoriesOpenToOthers();
        ASSERT_EQ(named.size(), c.named.size());
        for (std::size_t i = 0; i < named.size(); ++i) {
            EXPECT_EQ(named[i].which, c.named[i]);
            EXPECT_EQ(named[i].writer.sid, L"S-1-5-32-545");
            EXPECT_EQ(named[i].writer.right, "create files in it");
            EXPECT_EQ(named[i].path, std::string((c.named[i] == ExchangeDirectory::Request ? requestDir_ : responseDir_).Text().View()));
        }
        if (c.code == 0) {
            agent.Then([this] {
                TakeRequest();
                Answer(ResponseDocument("Close"));
            });
            EXPECT_EQ(COMPLIANCE_Close(), 0);
        } else {
            EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
            EXPECT_FALSE(PendingRequest());  // refused before the request was written
        }
    }
}

// An answer of the right type that was last written before the request cannot answer it:
// one left from before, or one a user froze by making it read-only. The wait ends with -7.
TEST_F(Session, AnswerOlderThanTheRequestIsNotTaken)
{
    Answer(ResponseDocument("Open"));
    const UniqueFile file(
        CreateFileW(Wide(responseFile_).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER hourAgo{{now.dwLowDateTime, now.dwHighDateTime}};
    hourAgo.QuadPart -= 36000000000ull;
    const FILETIME old{hourAgo.LowPart, hourAgo.HighPart};
    ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &old));
    SetAttributesOf(responseFile_, FILE_ATTRIBUTE_READONLY);
    ScriptedAgent agent;
    agent.Then([this] { TakeRequest(); });
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -7);
    EXPECT_EQ(Pauses(agent.pauses.begin(), agent.pauses.begin() + 4), fullWait);
}

TEST_F(Session, AnswerWithASecondNameIsNotTaken)
{
    ScriptedAgent agent;
    agent.Then([this] {
        TakeRequest();
        Answer(ResponseDocument("Open"));
        ASSERT_TRUE(CreateHardLinkW(Wide(scratch_ / "elsewhere.xml").c_str(), Wide(responseFile_).c_str(), nullptr));
    });
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -7);
}

// The directories are read, checked and opened once, at Open, and held until Close: a
// change of the registry values mid-session changes nothing, and the directories can be
// neither removed nor renamed meanwhile. The next Open reads the values again.
TEST_F(Session, DirectoriesAreTheSessionsFromOpenToClose)
{
    ScriptedAgent agent;
    OpenSession(agent);
    ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, ApiKeyPath), ERROR_SUCCESS);
    EXPECT_FALSE(RemoveDirectoryW(Wide(requestDir_).c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(MoveFileExW(Wide(responseDir_).c_str(), Wide(scratch_ / "moved").c_str(), 0));
    std::int32_t percent = 0, error = 0;
    EXPECT_EQ(Progress(agent, ProgressResponse(1), percent, error), 1);
    agent.Then([this] {
        TakeRequest();
        Answer(ResponseDocument("Close"));
    });
    EXPECT_EQ(COMPLIANCE_Close(), 0);
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -4);
    // Back, in the other registry view only: found there at the next Open.
    otherView_.SetString(ApiKeyPath, L"RequestDir", Wide(requestDir_));
    otherView_.SetString(ApiKeyPath, L"ResponseDir", Wide(responseDir_));
    OpenSession(agent);
    agent.Then([this] {
        TakeRequest();
        Answer(ResponseDocument("Close"));
    });
    EXPECT_EQ(COMPLIANCE_Close(), 0);
    EXPECT_TRUE(RemoveDirectoryW(Wide(requestDir_).c_str()));  // let go at Close
}

TEST_F(Session, UrlThatIsNotValidUtf16IsRefused)
{
    const wchar_t broken[] = {L'h', 0xD800, L'x', 0};
    EXPECT_EQ(COMPLIANCE_Open(broken, L"d", 0), -17);
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
    EXPECT_FALSE(PendingRequest());
}

TEST_F(Session, WaitingRequestBlocksOpen)
{
    WriteRaw(requestFile_, "<old/>");
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -5);
    EXPECT_EQ(*PendingRequest(), "<old/>");
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
}

// An Open request nobody took is withdrawn, so it neither blocks the next Open (-5) nor
// starts an evaluation nobody closes when the agent comes back.
TEST_F(Session, RequestNeverTakenCostsTheWholeWaitAndIsWithdrawn)
{
    ScriptedAgent agent;
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -3);
    EXPECT_EQ(agent.pauses, fullWait);
    EXPECT_FALSE(PendingRequest());
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -3);
}

// The agent took the Open and may be evaluating: the failing Open tells it to close, and
// waits two seconds at most for that. The Close it did not take stays for it.
TEST_F(Session, TakenButNeverAnsweredSendsClose)
{
    ScriptedAgent agent;
    agent.Then([this] { TakeRequest(); });
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -7);
    EXPECT_EQ(agent.pauses, (Pauses{1000, 2000, 4000, 3000, 1000, 1000}));
    ASSERT_TRUE(PendingRequest());
    EXPECT_NE(PendingRequest()->find("<RequestType>Close</RequestType>"), std::string::npos);
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
}

// What the deadline and a stop do to Open's and Close's waits, in virtual time.
struct Bounded {
    const char* name;
    std::optional<std::uint64_t> deadline, stopAt;
    bool agentTakesOpen;  // in the first pause, and never answers
    std::int32_t open;
    Pauses pauses;
    const char* pending;  // the request type left waiting, or nothing
};

class BoundedOpen : public Session, public ::testing::WithParamInterface<Bounded> {};

TEST_P(BoundedOpen, EndsWhenItsBoundSays)
{
    const Bounded& c = GetParam();
    ScriptedAgent agent;
    agent.stopAt = c.stopAt;
    if (c.agentTakesOpen)
        agent.Then([this] { TakeRequest(); });
    EXPECT_EQ(ComplianceSession::Process().Open(L"u", L"d", 0, c.deadline), c.open);
    EXPECT_EQ(agent.pauses, c.pauses);
    const std::optional<std::string> pending = PendingRequest();
    if (c.pending)
        EXPECT_NE(pending.value_or("").find(c.pending), std::string::npos);
    else
        EXPECT_FALSE(pending);
}

INSTANTIATE_TEST_SUITE_P(
    Each, BoundedOpen,
    ::testing::Values(
        Bounded{"DeadlineBeforeTaken", 2500, std::nullopt, false, -3, {1000, 1500}, nullptr},
        Bounded{"StopBeforeTaken", std::nullopt, 1500, false, -3, {1000, 500}, nullptr},
        Bounded{"DeadlineAlreadyPassed", 0, std::nullopt, false, -3, {}, nullptr},
        // The Close after a taken Open has two seconds of its own, and no stop cuts it short.
        Bounded{"DeadlineAfterTaken", 2500, std::nullopt, true, -7, {1000, 1500, 1000, 1000}, "Close"},
        Bounded{"StopAfterTaken", std::nullopt, 1500, true, -7, {1000, 500, 1000, 1000}, "Close"}),
    [](const auto& info) { return std::string(info.param.name); });

// A file that is not the request this side wrote is never withdrawn: whether the request
// it replaced is still there under another name or gone.
TEST_F(Session, AnotherFileAtTheRequestNameIsNotWithdrawn)
{
    for (const bool keepOld : {true, false}) {
        ScriptedAgent agent;
        agent.Then([] {}).Then([] {}).Then([] {}).Then([this, keepOld] {
            if (keepOld)
                ASSERT_TRUE(MoveFileW(Wide(requestFile_).c_str(), Wide(scratch_ / "taken.xml").c_str()));
            else
                TakeRequest();
            Sleep(20);  // a write time of its own
            WriteRaw(requestFile_, "<someone else's/>");
        });
        EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -3) << keepOld;
        EXPECT_EQ(PendingRequest(), "<someone else's/>") << keepOld;
        TakeRequest();
    }
}

// A stop gives Close two more seconds, whenever it comes; a deadline ends it as it ends
// the others, but never less than two seconds from when Close began.
TEST_F(Session, CloseWaitsTwoSecondsAfterAStop)
{
    struct Case {
        std::optional<std::uint64_t> stopAfter, deadlineAfter;
        Pauses pauses;
    };
    for (const Case& c : {Case{0, std::nullopt, {1000, 1000}}, Case{2500, std::nullopt, {1000, 1500, 2000}},
                          Case{std::nullopt, 1500, {1000, 1000}}, Case{std::nullopt, 0, {1000, 1000}},
                          Case{std::nullopt, 3500, {1000, 2000, 500}}}) {
        ScriptedAgent agent;
        OpenSession(agent);
        const std::uint64_t now = agent.Now();
        if (c.stopAfter)
            agent.stopAt = now + *c.stopAfter;
        ComplianceSession::Deadline deadline;
        if (c.deadlineAfter)
            deadline = now + *c.deadlineAfter;
        const std::size_t before = agent.pauses.size();
        EXPECT_EQ(ComplianceSession::Process().Close(deadline), -3);
        EXPECT_EQ(Pauses(agent.pauses.begin() + static_cast<std::ptrdiff_t>(before), agent.pauses.end()), c.pauses);
        EXPECT_TRUE(PendingRequest());  // a Close stays for the agent
        TakeRequest();
    }
}

TEST_F(Session, HalfWrittenAnswerIsReadAgainAfterTheNextPause)
{
    ScriptedAgent agent;
    const std::string whole = ResponseDocument("Open");
    agent.Then([this, whole] {
        TakeRequest();
        Answer(whole.substr(0, whole.size() / 2));
    });
    agent.Then({});
    agent.Then([this, whole] { Answer(whole); });
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), 0);
    EXPECT_EQ(agent.pauses, (Pauses{1000, 2000, 4000}));
}

TEST_F(Session, AnswerOfAnotherTypeIsNotTheAnswer)
{
    ScriptedAgent agent;
    OpenSession(agent);
    // The Open answer is still there when the Progress request is taken.
    agent.Then([this] { TakeRequest(); });
    agent.Then([this] { Answer(ProgressResponse(3, "<ResponseProgressPercent>10</ResponseProgressPercent>")); });
    std::int32_t percent = 0, error = 0;
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 3);
    EXPECT_EQ(percent, 10);
    EXPECT_EQ(agent.pauses, (Pauses{1000, 1000, 2000}));
}

TEST_F(Session, StaleAnswerOnlyIsTakenButNotAnswered)
{
    ScriptedAgent agent;
    OpenSession(agent);
    agent.Then([this] { TakeRequest(); });
    std::int32_t percent = 0, error = 0;
    EXPECT_EQ(COMPLIANCE_Progress(percent, error), 2);
    EXPECT_EQ(error, -7);
    EXPECT_TRUE(ComplianceSession::Process().HoldsLock());  // a failed Progress leaves the session open
    EXPECT_EQ(COMPLIANCE_ResultCount(), -8);
}

TEST_F(Session, ProgressStatesAndTheirOutputs)
{
    ScriptedAgent agent;
    OpenSession(agent);
    std::int32_t percent = 55, error = 66;
    EXPECT_EQ(Progress(agent, ProgressResponse(2, "<ResponseProgressError>-22</ResponseProgressError>"), percent, error), 2);
    EXPECT_EQ(error, -22);
    EXPECT_EQ(percent, 55);
    EXPECT_EQ(Progress(agent, ProgressResponse(3), percent, error), 3);
    EXPECT_EQ(percent, 0);
    // A percent outside 0 to 100 is brought to the nearer end: progress, not garbage.
    for (const auto& [given, reported] : {std::pair{"-5", 0}, std::pair{"101", 100}, std::pair{"100", 100}}) {
        const std::string more = std::string("<ResponseProgressPercent>") + given + "</ResponseProgressPercent>";
        EXPECT_EQ(Progress(agent, ProgressResponse(3, more), percent, error), 3);
        EXPECT_EQ(percent, reported) << given;
    }
    EXPECT_EQ(Progress(agent, ResponseDocument("Progress", "<ResponseProgressError>-4</ResponseProgressError>"), percent, error), 2);
    EXPECT_EQ(error, -4);
    EXPECT_EQ(Progress(agent, ResponseDocument("Progress"), percent, error), 2);
    EXPECT_EQ(error, 0);
    percent = error = 9;
    EXPECT_EQ(Progress(agent, ProgressResponse(7), percent, error), -7);
    EXPECT_EQ(percent, 9);
    EXPECT_EQ(error, 9);
    EXPECT_EQ(Progress(agent, ProgressResponse(1), percent, error), 1);
    EXPECT_EQ(COMPLIANCE_ResultCount(), 0);
}

TEST_F(Session, InvalidUtf8StopsGetResultAtThatText)
{
    ScriptedAgent agent;
    OpenSession(agent);
    std::int32_t percent = 0, error = 0;
    const std::string item = "<ResponseItem><Designator>ok</Designator><Result>fine</Result>"
                             "<ResultType>bad\xC0\x80</ResultType><Comment>later</Comment></ResponseItem>";
    ASSERT_EQ(Progress(agent, ProgressResponse(1, item), percent, error), 1);
    _bstr_t designator, result, type(L"untouched"), time(L"untouched"), description, comment(L"untouched");
    EXPECT_EQ(COMPLIANCE_GetResult(0, designator, result, type, time, description, comment), -26);
    EXPECT_STREQ(static_cast<const wchar_t*>(designator), L"ok");
    EXPECT_STREQ(static_cast<const wchar_t*>(result), L"fine");
    EXPECT_STREQ(static_cast<const wchar_t*>(type), L"untouched");
    EXPECT_STREQ(static_cast<const wchar_t*>(comment), L"untouched");
}

TEST_F(Session, CloseWithoutAnAnswerStillCloses)
{
    ScriptedAgent agent;
    OpenSession(agent);
    EXPECT_EQ(COMPLIANCE_Close(), -3);
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
    EXPECT_EQ(COMPLIANCE_Close(), -6);
}

TEST_F(Session, RequestThatCannotBeWrittenIsNeverPutInPlace)
{
    // "requestTemp.xml" is a directory with something in it: it can be neither written nor removed.
    const FileLocation temp = FileLocation::Child(requestDir_, "requestTemp.xml");
    ASSERT_TRUE(CreateDirectoryW(Wide(temp).c_str(), nullptr));
    WriteRaw(FileLocation::Child(temp, "inside"), "x");
    ScriptedAgent agent;
    EXPECT_EQ(COMPLIANCE_Open(L"u", L"d", 0), -17);
    EXPECT_FALSE(PendingRequest());
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
}

}  // namespace
