#include "errors/WindowsError.h"
#include "files/FileErrorTables.h"
#include "files/FileIOError.h"
#include "files/FileLocation.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>

namespace {

FileLocation L(std::string_view text) { return FileLocation(U8String(text)); }
std::string D(const FileIOError& e) { return std::string(e.Description().View()); }

TEST(FileIOError, MessageHasOneClausePerKnownDetail)
{
    const FileMoveError move(L("a"), L("b"), 5);
    EXPECT_EQ(D(move), "File error \"FileMoveError\" on \"a\" and \"b\" : \"" +
                           std::string(WindowsErrorText(5).StringView()) + "\"");
    EXPECT_EQ(std::string(move.what()), D(move));
    EXPECT_EQ(D(EmptyFileLocationError()), "File error \"EmptyFileLocationError\"");
    EXPECT_EQ(D(FileNotFoundError(L("C:\\x"), 0)), "File error \"FileNotFoundError\" on \"C:\\x\"");
    EXPECT_EQ(D(FileIOError(145)), "File error \"FileIOError\" : \"" + std::string(WindowsErrorText(145).StringView()) + "\"");
}

TEST(FileIOError, CopyKeepsDetailsAndRebuildsTheMessage)
{
    const FileLockError original(L("x"), L("y"), 33);
    const std::string message = D(original);
    const FileLockError copy(original);
    EXPECT_EQ(copy.Code(), 33u);
    EXPECT_EQ(copy.SecondLocation().View(), "y");
    EXPECT_NE(copy.Description().first, original.Description().first);
    EXPECT_EQ(D(copy), message);
}

// The class a table raises for a code, or "none".
std::string Raised(void (*table)(const FileLocation&, std::uint32_t), std::uint32_t code)
{
    try {
        table(L("f"), code);
        return "none";
    } catch (const FileIOError& e) {
        EXPECT_EQ(e.Code(), code);
        EXPECT_EQ(e.FirstLocation().View(), "f");
        return ReadableTypeName(typeid(e));
    }
}

TEST(FileErrorTables, SuccessAndEndOfFileDependOnTheOperation)
{
    for (auto table : {&ThrowLocationError, &ThrowHandleError, &ThrowFlushError, &ThrowReadError, &ThrowWriteError})
        EXPECT_EQ(Raised(table, 0), "none");
    EXPECT_EQ(Raised(&ThrowLocationError, 38), "none");
    EXPECT_EQ(Raised(&ThrowHandleError, 38), "FileIOError");
    EXPECT_EQ(Raised(&ThrowReadError, 38), "EndOfFileError");
    EXPECT_EQ(Raised(&ThrowWriteError, 38), "EndOfFileError");
}

TEST(FileErrorTables, RowsDifferWhereTheOperationsDiffer)
{
    EXPECT_EQ(Raised(&ThrowLocationError, 2), "FileNotFoundError");
    EXPECT_EQ(Raised(&ThrowReadError, 2), "FileIOError");
    EXPECT_EQ(Raised(&ThrowHandleError, 267), "DirectoryNotFoundError");
    EXPECT_EQ(Raised(&ThrowWriteError, 3), "FileIOError");
    EXPECT_EQ(Raised(&ThrowLocationError, 183), "FilePermissionError");
    EXPECT_EQ(Raised(&ThrowFlushError, 80), "FileFoundError");
    EXPECT_EQ(Raised(&ThrowFlushError, 5), "FilePermissionError");
    EXPECT_EQ(Raised(&ThrowWriteError, 5), "FileIOError");
    EXPECT_EQ(Raised(&ThrowWriteError, 999), "FileIOError");
    EXPECT_EQ(Raised(&ThrowReadError, 999), "FilePermissionError");
    EXPECT_EQ(Raised(&ThrowLocationError, 32), "FileIOError");
    EXPECT_EQ(Raised(&ThrowReadError, 32), "FilePermissionError");
    EXPECT_EQ(Raised(&ThrowLocationError, 131), "FileSeekError");
    EXPECT_EQ(Raised(&ThrowHandleError, 131), "FileIOError");
    EXPECT_EQ(Raised(&ThrowWriteError, 33), "FilePermissionError");
    EXPECT_EQ(Raised(&ThrowReadError, 167), "FileLockError");
    EXPECT_EQ(Raised(&ThrowReadError, 112), "FileIOError");
    EXPECT_EQ(Raised(&ThrowWriteError, 112), "DiskFullError");
    EXPECT_EQ(Raised(&ThrowLocationError, 1), "FileIOError");
    EXPECT_EQ(Raised(&ThrowLocationError, 0xFFFFFFFF), "FileIOError");
}

}  // namespace
