// The request and response files as the core touches them: through handles, never through
// a link another user left at their names.
#include "compliance/AnswerOwner.h"
#include "compliance/Exchange.h"
#include "compliance/Registry.h"
#include "compliance/ResultCodes.h"
#include "compliance/RequestFile.h"
#include "compliance/ResponseFile.h"
#include "compliance/SecuritySource.h"
#include "compliance/tests/MachineState.h"
#include "errors/WindowsError.h"
#include "files/FileIOError.h"
#include "files/Sleeper.h"
#include "files/tests/Links.h"
#include "text/Numerals.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const closeRequest = "<?xml version=\"1.0\"?>\r\n<TVKVerimarkRequest Version=\"1.0\">\r\n"
                                 "\t<RequestType>Close</RequestType>\r\n</TVKVerimarkRequest>";

ComplianceRequest Request(ComplianceRequestType kind)
{
    ComplianceRequest request;
    request.kind = kind;
    return request;
}

class ExchangeFiles : public AgentEnvironment {
protected:
    ReadResponse Read(std::uint64_t limit = AnswerSizeLimit, FILETIME notBefore = {})
    {
        const PinnedDirectory responses(responseDir_);
        return ReadResponseFile({responses, notBefore, limit, nullptr});
    }
};

TEST_F(ExchangeFiles, NewRequestReplacesAWaitingOne)
{
    WriteRaw(requestFile_, "<old/>");
    SetAttributesOf(requestFile_, FILE_ATTRIBUTE_READONLY);
    const PinnedDirectory requests(requestDir_);
    WriteRequestFile(requests, Request(ComplianceRequestType::Close));
    EXPECT_EQ(*PendingRequest(), closeRequest);
    EXPECT_TRUE(IsRequestPending(requests));
    EXPECT_EQ(FileLocation::Child(requestDir_, "requestTemp.xml").Attributes(), INVALID_FILE_ATTRIBUTES);
}

// The move of a complete request fails through its whole retry schedule and then works at
// the one further try: the request is in place, the agent will act on it, so it is no failure.
TEST_F(ExchangeFiles, RequestPutInPlaceAtTheFurtherTryIsWritten)
{
    // A folder with something in it at "request.xml": no file can replace it.
    ASSERT_TRUE(CreateDirectoryW(Wide(requestFile_).c_str(), nullptr));
    const FileLocation inside = FileLocation::Child(requestFile_, "inside");
    WriteRaw(inside, "x");
    ScriptedAgent clock;
    for (int pause = 1; pause <= 8; ++pause)  // the first schedule's pauses
        clock.Then(nullptr);
    clock.Then([&] {
        DeleteFileW(Wide(inside).c_str());
        RemoveDirectoryW(Wide(requestFile_).c_str());
    });
    const PinnedDirectory requests(requestDir_);
    EXPECT_NO_THROW(WriteRequestFile(requests, Request(ComplianceRequestType::Progress)));
    EXPECT_EQ(clock.pauses.size(), 9u);
    EXPECT_NE(PendingRequest()->find("<RequestType>Progress</RequestType>"), std::string::npos);
}

// An exchange that watches the agent keeps the same ten seconds of waits however coarse the
// clock: here one that never moves (as a tick count may seem to, between two looks). A
// request nobody takes ends the exchange after the usual pauses; one whose agent is gone
// is not written at all.
TEST_F(ExchangeFiles, AWatchedExchangeCountsItsOwnWaitsNotTheClock)
{
    struct StoppedClock final : Sleeper {
        std::vector<std::uint32_t> waits;
        void Sleep(std::uint32_t milliseconds) override
        {
            waits.push_back(milliseconds);
            if (waits.size() > 100)
                throw std::runtime_error("the exchange does not end");
        }
        std::uint64_t Now() override { return 5000; }
    } clock;
    const ScopedSleeper scoped(clock);
    const PinnedDirectory requests(requestDir_), responses(responseDir_);
    bool gone = false;
    ExchangeBounds bounds;
    bounds.agentGone = [&] { return gone; };
    ReadResponse answer;
    EXPECT_EQ(ExchangeRequest({requests, responses}, Request(ComplianceRequestType::Progress), answer, bounds),
              ComplianceResult::RequestNotTaken);
    EXPECT_EQ(clock.waits, (std::vector<std::uint32_t>(10, 1000)));  // each second, a look at the agent
    ASSERT_TRUE(DeleteFileW(Wide(requestFile_).c_str()));
    clock.waits.clear();
    gone = true;
    EXPECT_EQ(ExchangeRequest({requests, responses}, Request(ComplianceRequestType::Progress), answer, bounds),
              ComplianceResult::RequestNotTaken);
    EXPECT_TRUE(clock.waits.empty());
    EXPECT_FALSE(PendingRequest());
}

// Another user's link at either name: the request is never written through it, and what
// it points to stays as it was. At the temporary name the link is refused and left alone;
// at "request.xml" the new request takes the name from it.
TEST_F(ExchangeFiles, LinksAtTheRequestNamesNeverReachTheirTarget)
{
    const FileLocation victim = scratch_ / "victim.ini";
    const FileLocation temp = FileLocation::Child(requestDir_, "requestTemp.xml");
    const struct {
        const char* what;
        FileLocation at;
        bool symbolic;
    } cases[] = {
        {"a hard link at requestTemp.xml", temp, false},
        {"a symbolic link at requestTemp.xml", temp, true},
        {"a hard link at request.xml", requestFile_, false},
        {"a symbolic link at request.xml", requestFile_, true},
    };
    const PinnedDirectory requests(requestDir_);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteRaw(victim, "[policy]\r\nkeep=1\r\n");
        c.symbolic ? MakeSymbolicLink(c.at, victim) : MakeHardLink(c.at, victim);
        if (c.at.Text() == temp.Text()) {
            EXPECT_THROW(WriteRequestFile(requests, Request(ComplianceRequestType::Close)), VerimarkRequestIOWriteFailure);
            EXPECT_FALSE(PendingRequest());
            EXPECT_NE(c.at.Attributes(), INVALID_FILE_ATTRIBUTES);  // left alone
        } else {
            WriteRequestFile(requests, Request(ComplianceRequestType::Close));
            EXPECT_EQ(*PendingRequest(), closeRequest);
        }
        EXPECT_EQ(ReadWholeFile(victim), "[policy]\r\nkeep=1\r\n");
        c.symbolic ? RemoveSymbolicLink(c.at) : (void)DeleteFileW(Wide(c.at).c_str());
        DeleteFileW(Wide(requestFile_).c_str());
        DeleteFileW(Wide(victim).c_str());
    }
}

// Files are made, opened and renamed relative to the held directory, never by its path: a
// directory put at that path after the checks (here by moving a parent away, which Wine
// allows while the directory is held) gets nothing, and the checks refuse the held one now
// that it is elsewhere.
TEST_F(ExchangeFiles, ADirectoryPutInTheHeldOnesPlaceGetsNothing)
{
    const FileLocation parent = scratch_ / "exchange", moved = scratch_ / "moved";
    const FileLocation held = FileLocation::Child(parent, "requests");
    ASSERT_TRUE(CreateDirectoryW(Wide(parent).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Wide(held).c_str(), nullptr));
    const PinnedDirectory requests(held);
    if (!MoveFileW(Wide(parent).c_str(), Wide(moved).c_str()))
        GTEST_SKIP() << "the system keeps a held directory's parents in place (" << GetLastError() << ")";
    ASSERT_TRUE(CreateDirectoryW(Wide(parent).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Wide(held).c_str(), nullptr));
    EXPECT_THROW(WriteRequestFile(requests, Request(ComplianceRequestType::Close)), VerimarkRequestIOWriteFailure);
    EXPECT_FALSE(IsRequestPending(requests));
    EXPECT_TRUE(NamesIn(held).empty());
    // No request in the held one either. (The temporary, refused by the checks, is removed
    // through its handle; Wine removes a file at its close by the path it was made with, now
    // the other directory's, so there it stays.)
    const std::set<std::wstring> left = NamesIn(FileLocation::Child(moved, "requests"));
    EXPECT_TRUE(left.empty() || left == std::set<std::wstring>{L"requestTemp.xml"});
}

TEST_F(ExchangeFiles, LargeResponseStreamsThroughTheReader)
{
    std::string body;
    for (int i = 0; i < 100000; ++i) {
        body += "\t<ResponseItem>\r\n\t\t<Designator>item-";
        body += std::to_string(i);
        body += "</Designator>\r\n\t\t<Result>True</Result>\r\n\t\t<Comment>seen &lt;";
        body += std::to_string(i * 3);
        body += "&gt;</Comment>\r\n\t</ResponseItem>\r\n";
    }
    Answer(ProgressResponse(1, body));
    const ComplianceResponse response = Read().response;
    ASSERT_EQ(response.items.size(), 100000u);
    EXPECT_EQ(response.items[0].designator.StringView(), "item-0");
    EXPECT_EQ(response.items[99999].designator.StringView(), "item-99999");
    EXPECT_EQ(response.items[99999].comment.StringView(), "seen <299997>");
    EXPECT_EQ(response.items[5].result.StringView(), "True");
    EXPECT_TRUE(response.items[5].description.Empty());
}

TEST_F(ExchangeFiles, ReadFailuresByKind)
{
    EXPECT_THROW(Read(), FileNotFoundError);
    const std::string whole = ProgressResponse(3);
    Answer(whole.substr(0, whole.size() - 5));
    EXPECT_THROW(Read(), VerimarkResponseReadFailure);
    Answer("");
    EXPECT_THROW(Read(), VerimarkResponseReadFailure);
    Answer("<Other><ResponseType>Progress</ResponseType></Other>");
    EXPECT_THROW(Read(), VerimarkResponseBadDocumentType);
    Answer("<TVKVerimarkResponse><ResponseType>progress</ResponseType></TVKVerimarkResponse>");
    EXPECT_THROW(Read(), VerimarkResponseTypeFailure);
    Answer(ProgressResponse(3, "<ResponseProgressPercent> 50</ResponseProgressPercent>"));
    EXPECT_THROW(Read(), NotANumeral);

    // Another name for the answer, or the answer under another name: not the agent's.
    Answer(whole);
    const FileLocation second = scratch_ / "second-name.xml";
    MakeHardLink(second, responseFile_);
    EXPECT_THROW(Read(), LinkedFileError);
    ASSERT_TRUE(DeleteFileW(Wide(responseFile_).c_str()));
    MakeSymbolicLink(responseFile_, second);
    EXPECT_THROW(Read(), LinkedFileError);
}

// An answer larger than the limit is refused from its size alone, before a byte of it is
// read: the figures travel with the refusal. The largest one is a sparse file here.
TEST_F(ExchangeFiles, OversizedAnswersAreRefusedUnread)
{
    const std::string answer = ProgressResponse(1);
    Answer(answer);
    EXPECT_EQ(Read(answer.size()).response.progressState, 1);
    try {
        Read(answer.size() - 1);
        ADD_FAILURE() << "read";
    } catch (const VerimarkResponseTooLarge& e) {
        EXPECT_EQ(e.size, answer.size());
        EXPECT_EQ(e.limit, answer.size() - 1);
    }
    {
        const UniqueFile file(CreateFileW(Wide(responseFile_).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(AnswerSizeLimit + 1);
        ASSERT_TRUE(SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get()));
    }
    try {
        Read();
        ADD_FAILURE() << "read";
    } catch (const VerimarkResponseTooLarge& e) {
        EXPECT_EQ(e.size, AnswerSizeLimit + 1);
        EXPECT_EQ(e.limit, sizeof(void*) == 8 ? 1073741824u : 536870912u);
    }
}

TEST_F(ExchangeFiles, AnAnswerWrittenBeforeTheRequestIsStale)
{
    Answer(ProgressResponse(1));
    const UniqueFile file(
        CreateFileW(Wide(responseFile_).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME written{};
    ASSERT_TRUE(GetFileTime(file.Get(), nullptr, nullptr, &written));
    ULARGE_INTEGER later{{written.dwLowDateTime, written.dwHighDateTime}};
    later.QuadPart += 1;  // 100 ns after the answer's last write
    EXPECT_THROW(Read(AnswerSizeLimit, {later.LowPart, later.HighPart}), VerimarkResponseStale);
    EXPECT_EQ(Read(AnswerSizeLimit, written).response.progressState, 1);  // the same moment is not before
}

// An answer's time is its writer's to set: in an elevated process only an owner no ordinary
// user can be makes it the agent's. Wine gives every file its one user as owner, so the
// source is a stand-in.
TEST_F(ExchangeFiles, AnElevatedProcessTakesAnswersFromTheAgentsOwnersOnly)
{
    struct Owners final : SecuritySource {
        bool checked = true;
        const wchar_t* owner = nullptr;  // null: it cannot be read
        bool Elevated() override { return checked; }
        std::wstring ProcessUser() override { return L"S-1-5-21-1004336348-1177238915-682003330-500"; }
        std::wstring OwnerOf(HANDLE) override
        {
            if (!owner)
                throw Windows::Error(ERROR_ACCESS_DENIED);
            return owner;
        }
    } owners;
    const ScopedSecuritySource scoped(owners);
    Answer(ProgressResponse(1));
    {
        // Written, as far as its time says, in 2033.
        const UniqueFile file(CreateFileW(Wide(responseFile_).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        const ULARGE_INTEGER future{.QuadPart = 0x01E4'53FE'34C3'C000ull};
        const FILETIME time{future.LowPart, future.HighPart};
        ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &time));
    }
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);  // the request's moment
    const struct {
        bool checked;
        const wchar_t* owner;
        bool taken;
    } cases[] = {
        {true, L"S-1-5-21-1004336348-1177238915-682003330-1001", false},  // a user
        {true, L"S-1-5-32-545", false},                                  // the Users
        {true, L"S-1-1-0", false},                                       // Everyone
        {true, L"S-1-5-80", false},                                      // not a service's own
        {true, nullptr, false},                                          // no owner to be read
        {true, L"S-1-5-19", false},                                      // the local service account
        {true, L"S-1-5-20", false},                                      // the network service account
        {true, L"S-1-5-80-1184457765-4068085190-3456807688-2200952327-3769537534", false},  // some service
        {true, L"S-1-5-18", true},                                       // SYSTEM
        {true, L"S-1-5-32-544", true},                                   // the Administrators
        {true, L"S-1-5-21-1004336348-1177238915-682003330-500", true},   // this process's own account
        {false, L"S-1-5-21-1004336348-1177238915-682003330-1001", true},  // not elevated
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.owner ? std::string(c.owner, c.owner + wcslen(c.owner)) : "(unreadable)")
                                        << " checked " << c.checked);
        owners.checked = c.checked;
        owners.owner = c.owner;
        if (c.taken)
            EXPECT_EQ(Read(AnswerSizeLimit, now).response.progressState, 1);
        else
            EXPECT_THROW(Read(AnswerSizeLimit, now), VerimarkResponseUntrusted);
    }
}

}  // namespace
