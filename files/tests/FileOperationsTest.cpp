#include "files/FileCopy.h"
#include "files/FileIOError.h"
#include "files/FileOperations.h"
#include "files/FileReadingPath.h"
#include "files/PinnedDirectory.h"
#include "files/tests/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(MakeDirectory, CreatesOnceAndRefusesFilesAndMissingParents)
{
    ScratchDirectory scratch;
    const FileLocation dir = scratch / "d";
    MakeDirectory(dir);
    EXPECT_TRUE(dir.IsDirectory());
    EXPECT_NO_THROW(MakeDirectory(dir));

    const FileLocation file = scratch / "f";
    WriteWholeFile(file, "x");
    try {
        MakeDirectory(file);
        FAIL();
    } catch (const DirectoryNotFoundError& e) {
        EXPECT_EQ(e.Code(), 0u);
    }
    try {
        MakeDirectory(scratch / "missing\\child");
        FAIL();
    } catch (const DirectoryNotFoundError& e) {
        EXPECT_EQ(e.Code(), 3u);
    }
    EXPECT_THROW(MakeDirectory(FileLocation()), EmptyFileLocationError);
}

TEST(MakeNonexistent, RemovesFilesAndEmptyDirectoriesEvenReadOnly)
{
    ScratchDirectory scratch;
    EXPECT_NO_THROW(MakeNonexistent(scratch / "absent"));
    const FileLocation file = scratch / "ro.txt";
    WriteWholeFile(file, "x");
    SetAttributesOf(file, FILE_ATTRIBUTE_READONLY);
    MakeNonexistent(file);
    EXPECT_EQ(file.Attributes(), INVALID_FILE_ATTRIBUTES);

    const FileLocation dir = scratch / "empty";
    MakeDirectory(dir);
    MakeNonexistent(dir);
    EXPECT_EQ(dir.Attributes(), INVALID_FILE_ATTRIBUTES);
}

TEST(MakeNonexistent, NonEmptyDirectoryIsAPlainFileIOErrorWithTheSystemsCode)
{
    ScratchDirectory scratch;
    const FileLocation dir = scratch / "full";
    MakeDirectory(dir);
    WriteWholeFile(FileLocation::Child(dir, "inside"), "x");
    try {
        MakeNonexistent(dir);
        FAIL();
    } catch (const FileIOError& e) {
        EXPECT_EQ(typeid(e), typeid(FileIOError));
        EXPECT_EQ(e.Code(), 145u);  // ERROR_DIR_NOT_EMPTY
        EXPECT_EQ(e.FirstLocation(), dir.Text());
    }
    EXPECT_TRUE(FileLocation::Child(dir, "inside").IsFile());
}

TEST(RemoveEmptyDirectory, RefusesWhatIsNotADirectory)
{
    ScratchDirectory scratch;
    const FileLocation file = scratch / "f";
    WriteWholeFile(file, "x");
    EXPECT_THROW(RemoveEmptyDirectory(file), DirectoryNotFoundError);
    EXPECT_THROW(RemoveEmptyDirectory(scratch / "absent"), DirectoryNotFoundError);
    EXPECT_THROW(RemoveEmptyDirectory(FileLocation()), DirectoryNotFoundError);
}

TEST(MoveLocation, ReplacesAReadOnlyDestinationAndKeepsAReadOnlySourceReadOnly)
{
    ScratchDirectory scratch;
    const FileLocation source = scratch / "new.xml";
    const FileLocation target = scratch / "old.xml";
    WriteWholeFile(source, "new");
    WriteWholeFile(target, "old");
    SetAttributesOf(target, FILE_ATTRIBUTE_READONLY);
    MoveLocation(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
    EXPECT_EQ(ReadWholeFile(target), "new");
    EXPECT_EQ(source.Attributes(), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(AttributesOf(target) & FILE_ATTRIBUTE_READONLY);

    const FileLocation readOnly = scratch / "ro.xml";
    WriteWholeFile(readOnly, "ro");
    SetAttributesOf(readOnly, FILE_ATTRIBUTE_READONLY);
    MoveLocation(readOnly, target, MOVEFILE_REPLACE_EXISTING);
    EXPECT_EQ(ReadWholeFile(target), "ro");
    EXPECT_TRUE(AttributesOf(target) & FILE_ATTRIBUTE_READONLY);
}

TEST(MoveLocation, RefusesToExchangeFilesAndDirectories)
{
    ScratchDirectory scratch;
    const FileLocation dir = scratch / "dir";
    const FileLocation file = scratch / "file";
    MakeDirectory(dir);
    WriteWholeFile(file, "x");
    try {
        MoveLocation(dir, file, MOVEFILE_REPLACE_EXISTING);
        FAIL();
    } catch (const DirectoryFoundError& e) {
        EXPECT_EQ(e.FirstLocation(), dir.Text());
        EXPECT_EQ(e.Code(), 0u);
    }
    try {
        MoveLocation(file, dir, MOVEFILE_REPLACE_EXISTING);
        FAIL();
    } catch (const DirectoryFoundError& e) {
        EXPECT_EQ(e.FirstLocation(), dir.Text());
    }
    try {
        MoveLocation(file, scratch / "dir", 0);
        FAIL();
    } catch (const FileFoundError& e) {
        EXPECT_EQ(e.FirstLocation(), dir.Text());
    }
    try {
        MoveLocation(scratch / "absent", file, 3);
        FAIL();
    } catch (const FileNotFoundError& e) {
        EXPECT_EQ(e.Code(), 2u);
    }
    try {
        MoveLocation(file, scratch / "absent\\x", 3);
        FAIL();
    } catch (const FileMoveError& e) {
        EXPECT_EQ(e.SecondLocation(), (scratch / "absent\\x").Text());
        EXPECT_NE(e.Code(), 0u);
    }
}

TEST(LongPaths, ExtendedFormReallyWorksBeyond259Units)
{
    ScratchDirectory scratch;
    // Directory paths between 248 and 259 units need the prefix only for CreateDirectoryW.
    FileLocation dir = scratch.Root();
    while (dir.Text().Length() < 250) {
        dir = FileLocation::Child(dir, "segment");
        MakeDirectory(dir);
    }
    EXPECT_GE(dir.Text().Length(), 250u);
    EXPECT_TRUE(dir.IsDirectory());
    const FileLocation deep = FileLocation::Child(dir, std::string_view(std::string(60, 'x')));
    MakeDirectory(deep);
    const FileLocation file = FileLocation::Child(deep, "long-name.xml");
    ASSERT_GT(file.Text().Length(), 300u);
    {
        WindowsPlatform::FileWritingPath writer;
        writer.OpenForWriting(file);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(writer.Handle(), "deep", 4, &written, nullptr));
    }
    EXPECT_EQ(ReadWholeFile(file), "deep");
    const FileLocation moved = FileLocation::Child(deep, "moved.xml");
    SilentFileRetryLog log;
    ForceMoveFile(file, moved, log);
    EXPECT_EQ(ReadWholeFile(moved), "deep");
    EXPECT_EQ(file.Attributes(), INVALID_FILE_ATTRIBUTES);
    // Named by the caller in the extended form already: used as it is.
    const auto extended = [](const FileLocation& l) { return FileLocation(U8String("\\\\?\\" + std::string(l.Text().View()))); };
    ForceMoveFile(extended(moved), extended(file), log);
    EXPECT_EQ(ReadWholeFile(file), "deep");
    ForceMoveFile(extended(file), moved, log);
    ForceNonexistence(moved, log);
    ForceNonexistence(deep, log);
    EXPECT_EQ(deep.Attributes(), INVALID_FILE_ATTRIBUTES);
}

TEST(CopyLocation, ReplacesTheDestinationAndReportsAMissingSource)
{
    ScratchDirectory scratch;
    const FileLocation source = scratch / "response.xml";
    const FileLocation target = scratch / "export.xml";
    WriteWholeFile(source, "<r/>");
    WriteWholeFile(target, "stale");
    SetAttributesOf(target, FILE_ATTRIBUTE_READONLY);
    CopyLocation(source, target);
    EXPECT_EQ(ReadWholeFile(target), "<r/>");
    EXPECT_EQ(ReadWholeFile(source), "<r/>");
    try {
        CopyLocation(scratch / "absent", target);
        FAIL();
    } catch (const FileNotFoundError& e) {
        EXPECT_EQ(e.Code(), 2u);
    }
    EXPECT_EQ(ReadWholeFile(target), "<r/>");  // a missing source leaves the destination alone
    try {
        CopyLocation(source, scratch / "no dir\\x.xml");
        FAIL();
    } catch (const FileCopyError& e) {
        EXPECT_EQ(e.Code(), 3u);
    }
}

// Each failure carries the system's own code for it, not one left by an earlier call: a
// code that does not fit is planted before every step.
TEST(HeldDirectory, FailuresCarryTheSystemsOwnCode)
{
    ScratchDirectory scratch;
    const PinnedDirectory held(scratch.Root());
    const FileLocation inside = scratch / "x.txt";
    WriteWholeFile(inside, "x");
    const struct {
        const char* what;
        std::function<void()> step;
        DWORD code;
    } cases[] = {
        {"a folder whose parent is missing", [&] { PinnedDirectory(scratch / "missing\\deeper"); }, ERROR_PATH_NOT_FOUND},
        {"a missing folder", [&] { PinnedDirectory(scratch / "missing"); }, ERROR_FILE_NOT_FOUND},
        {"a missing file", [&] { held.OpenPlainFile(U8String("absent.txt"), GENERIC_READ, FILE_SHARE_READ); },
         ERROR_FILE_NOT_FOUND},
        {"a file in a missing folder", [&] { held.CreateNew(U8String("missing\\new.txt"), GENERIC_WRITE); },
         ERROR_PATH_NOT_FOUND},
        {"a rename into a missing folder",
         [&] {
             const UniqueFile file = held.OpenPlainFile(U8String("x.txt"), DELETE, FILE_SHARE_READ);
             held.Rename(file.Get(), U8String("x.txt"), U8String("missing\\y.txt"), false);
         },
         ERROR_PATH_NOT_FOUND},
        {"a rename onto a file that stays", [&] {
             const UniqueFile file = held.CreateNew(U8String("y.txt"), GENERIC_WRITE);
             held.Rename(file.Get(), U8String("y.txt"), U8String("x.txt"), false);
         },
         ERROR_ALREADY_EXISTS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(ERROR_INVALID_FUNCTION);
        try {
            c.step();
            ADD_FAILURE() << "no failure";
        } catch (const FileIOError& e) {
            EXPECT_EQ(e.Code(), c.code);
        }
    }
    EXPECT_EQ(ReadWholeFile(inside), "x");
}

}  // namespace
