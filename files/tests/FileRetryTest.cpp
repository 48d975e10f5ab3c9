#include "files/FileCopy.h"
#include "files/FileIOError.h"
#include "files/FileOperations.h"
#include "files/Sleeper.h"
#include "files/tests/ScratchDirectory.h"
#include "text/UniqueResource.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Records the pauses instead of waiting, and runs the test's script at each one.
class RecordingSleeper final : public Sleeper {
public:
    void Sleep(std::uint32_t milliseconds) override
    {
        pauses.push_back(milliseconds);
        if (onSleep)
            onSleep(pauses.size());
    }
    std::vector<std::uint32_t> pauses;
    std::function<void(std::size_t)> onSleep;
};

class RecordingLog final : public FileRetryLog {
public:
    void RetrySucceeded(U8String label, const FileLocation&, const FileLocation* second, std::uint32_t attempts) override
    {
        calls.push_back("succeeded " + std::string(label.View()) + " " + std::to_string(attempts) + (second ? " 2" : " 1"));
    }
    void RetryGaveUp(U8String label, const FileLocation&, const FileLocation* second, std::uint32_t attempts) override
    {
        calls.push_back("gave up " + std::string(label.View()) + " " + std::to_string(attempts) + (second ? " 2" : " 1"));
    }
    std::vector<std::string> calls;
};

UniqueFile OpenWithoutSharingDelete(const FileLocation& location)
{
    return UniqueFile(CreateFileW(NativePath(location).Begin(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  0, nullptr));
}

// A scratch directory, pauses in virtual time, and a log that records.
class Retry : public ::testing::Test {
protected:
    ScratchDirectory scratch;
    RecordingSleeper sleeper;
    ScopedSleeper scope{sleeper};
    RecordingLog log;
};

TEST_F(Retry, MissingLocationNeedsNoRetryAndNoLog)
{
    ForceNonexistence(scratch / "absent", log);
    EXPECT_TRUE(sleeper.pauses.empty());
    EXPECT_TRUE(log.calls.empty());
}

TEST_F(Retry, SharingViolationTwiceThenSuccess)
{
    const FileLocation source = scratch / "requestTemp.xml";
    const FileLocation target = scratch / "request.xml";
    WriteWholeFile(source, "request");
    UniqueFile holder = OpenWithoutSharingDelete(source);
    ASSERT_TRUE(holder);
    sleeper.onSleep = [&](std::size_t n) {
        if (n == 2)
            holder.Reset();  // the other process lets go during the second pause
    };
    ForceMoveFile(source, target, log);
    EXPECT_EQ(sleeper.pauses, (std::vector<std::uint32_t>{40, 80}));
    EXPECT_EQ(log.calls, (std::vector<std::string>{"succeeded ForceMoveFile 3 2"}));
    EXPECT_EQ(ReadWholeFile(target), "request");
}

TEST_F(Retry, GivesUpAfterNineAttemptsAndPassesTheLastErrorOn)
{
    const FileLocation source = scratch / "a.xml";
    WriteWholeFile(source, "a");
    EXPECT_THROW(ForceMoveFile(source, scratch / "no dir\\a.xml", log), FileMoveError);
    EXPECT_EQ(sleeper.pauses, (std::vector<std::uint32_t>{40, 80, 160, 320, 640, 1280, 2560, 5120}));
    EXPECT_EQ(log.calls, (std::vector<std::string>{"gave up ForceMoveFile 9 2"}));

    sleeper.pauses.clear();
    log.calls.clear();
    const FileLocation held = scratch / "held.txt";
    WriteWholeFile(held, "x");
    UniqueFile holder = OpenWithoutSharingDelete(held);
    EXPECT_THROW(ForceNonexistence(held, log), FileIOError);
    EXPECT_EQ(sleeper.pauses.size(), 8u);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"gave up ForceNonexistence 9 1"}));
}

TEST_F(Retry, EmptyLocationFailsAtOnce)
{
    const FileLocation source = scratch / "a.xml";
    WriteWholeFile(source, "a");
    EXPECT_THROW(ForceMoveFile(source, FileLocation(), log), EmptyFileLocationError);
    EXPECT_THROW(ForceCopyFile(FileLocation(), source, log), EmptyFileLocationError);
    EXPECT_TRUE(sleeper.pauses.empty());
    EXPECT_TRUE(log.calls.empty());
    EXPECT_EQ(ReadWholeFile(source), "a");
}

TEST_F(Retry, CopyRetriesLikeTheOthers)
{
    const FileLocation source = scratch / "response.xml";
    WriteWholeFile(source, "r");
    EXPECT_THROW(ForceCopyFile(source, scratch / "no dir\\copy.xml", log), FileCopyError);
    EXPECT_EQ(sleeper.pauses.size(), 8u);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"gave up ForceCopyFile 9 2"}));
}

}  // namespace
