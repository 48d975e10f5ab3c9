#include "files/FileDataSink.h"
#include "files/FileIOError.h"
#include "files/FileReader.h"
#include "files/FileReadingLoop.h"
#include "files/tests/ScratchDirectory.h"
#include "text/UniqueResource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using WindowsPlatform::FileReadingPath;
using WindowsPlatform::FileWritingPath;

namespace {

TEST(FileReadingPath, MissingFileAndMissingDirectoryCarryTheirCodesAndLocation)
{
    ScratchDirectory scratch;
    const FileLocation file = scratch / "absent.xml";
    try {
        FileReadingPath path(file, false);
        FAIL();
    } catch (const FileNotFoundError& e) {
        EXPECT_EQ(e.Code(), 2u);
        EXPECT_EQ(e.FirstLocation(), file.Text());
    }
    try {
        FileReadingPath path(scratch / "absent\\x.xml", false);
        FAIL();
    } catch (const DirectoryNotFoundError& e) {
        EXPECT_EQ(e.Code(), 3u);
    }
}

TEST(FileReadingPath, NonDiskObjectsAreRefusedWithAccessDenied)
{
    const FileLocation pipeName(U8String("\\\\.\\pipe\\verimark-test-pipe"));
    UniqueFile pipe(CreateNamedPipeW(L"\\\\.\\pipe\\verimark-test-pipe", PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 512,
                                     512, 0, nullptr));
    ASSERT_TRUE(pipe);
    for (const FileLocation& device : {pipeName, FileLocation(U8String("NUL"))}) {
        try {
            FileReadingPath path(device, true);
            FAIL() << device.Text().View();
        } catch (const FilePermissionError& e) {
            EXPECT_EQ(e.Code(), 5u);
        }
    }
}

TEST(FileWritingPath, EmptiesAnExistingFileInPlaceKeepingItsAttributes)
{
    ScratchDirectory scratch;
    const FileLocation file = scratch / "request.xml";
    WriteWholeFile(file, std::string(100, 'x'));
    SetAttributesOf(file, FILE_ATTRIBUTE_HIDDEN);
    FileWritingPath path;
    path.OpenForWriting(file);
    EXPECT_EQ(path.Size(), 0u);
    path.Close();
    EXPECT_EQ(ReadWholeFile(file), "");
    EXPECT_TRUE(AttributesOf(file) & FILE_ATTRIBUTE_HIDDEN);
}

TEST(FileReadingPath, SizeOfAFileJustUnder4GiB)
{
    ScratchDirectory scratch;
    const FileLocation file = scratch / "big.bin";
    {
        FileWritingPath path;
        path.OpenForWriting(file);
        LARGE_INTEGER size;
        size.QuadPart = 0xFFFFFFFFll;
        ASSERT_TRUE(SetFilePointerEx(path.Handle(), size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(path.Handle()));
    }
    SetLastError(ERROR_ACCESS_DENIED);  // a stale code must not turn the size into a failure
    FileReadingPath path(file, false);
    EXPECT_EQ(path.Size(), 0xFFFFFFFFull);
    FileReader reader(path, 0xFFFFFFFEull);
    char last[4];
    ByteRange range{last, last + 4};
    reader.ReadSome(range);
    EXPECT_EQ(range.first, last + 1);
    EXPECT_TRUE(reader.AtEnd());
}

TEST(FileReader, ShortExactReadTakesWhatIsThereThenFails)
{
    ScratchDirectory scratch;
    const FileLocation file = scratch / "f";
    WriteWholeFile(file, "0123456789");
    FileReadingPath path(file, false);
    FileReader reader(path, 5);
    char buffer[10] = {};
    EXPECT_THROW(reader.ReadExactly(buffer, buffer + 10), NoMoreData);
    EXPECT_EQ(reader.Position(), 10u);
    EXPECT_EQ(std::string(buffer, 5), "56789");
    reader.Rewind();
    reader.ReadExactly(buffer, buffer + 3);
    EXPECT_EQ(std::string(buffer, 3), "012");
}

TEST(FileReader, ReadersSharingAHandleKeepTheirOwnPositions)
{
    ScratchDirectory scratch;
    const FileLocation file = scratch / "f";
    WriteWholeFile(file, "abcdefghij");
    FileReadingPath path(file, false);
    FileReader front(path, 0), back(path, 6);
    char a[2], b[2];
    for (int round = 0; round < 2; ++round) {
        front.ReadExactly(a, a + 2);
        back.ReadExactly(b, b + 2);
        EXPECT_EQ(std::string(a, 2), round ? "cd" : "ab");
        EXPECT_EQ(std::string(b, 2), round ? "ij" : "gh");
    }
    FileWritingPath out;
    out.OpenForWriting(scratch / "g");
    FileWriter w1(out, 0), w2(out, 3);
    w2.Write("xyz", std::string_view("xyz").data() + 3);
    w1.Write("abc", std::string_view("abc").data() + 3);
    char all[6];
    FileReader(out, 0).ReadExactly(all, all + 6);
    EXPECT_EQ(std::string(all, 6), "abcxyz");
}

TEST(FileWriter, KeepsItsOwnPositionAndWritesNothingForAnEmptyRun)
{
    ScratchDirectory scratch;
    const FileLocation file = scratch / "f";
    FileWritingPath path;
    path.OpenForWriting(file);
    FileWriter first(path, 0), second(path, 4);
    second.Write("tail", std::string_view("tail").data() + 4);
    first.Write("head", std::string_view("head").data() + 4);
    LONG high = 0;
    SetFilePointer(path.Handle(), 2, &high, FILE_BEGIN);
    first.Write(nullptr, nullptr);
    EXPECT_EQ(SetFilePointer(path.Handle(), 0, &high, FILE_CURRENT), 2u);
    path.Close();
    EXPECT_EQ(ReadWholeFile(file), "headtail");
}

TEST(FileDataSink, EveryBeginRestartsAtTheStartOffset)
{
    ScratchDirectory scratch;
    const FileLocation file = scratch / "f";
    FileWritingPath path;
    path.OpenForWriting(file);
    FileDataSink sink(path, 2);
    const std::string_view text = "abcdef";
    sink.Begin();
    sink.Write(text.data(), text.data() + 6);
    sink.End();
    sink.Begin();
    sink.Receive(text.data() + 3, text.data() + 6);
    sink.End();
    path.Close();
    EXPECT_EQ(ReadWholeFile(file), std::string("\0\0defdef", 8));
}

std::vector<std::size_t> Windows(const FileLocation& file, std::size_t bufferSize)
{
    FileReadingPath path(file, false);
    std::vector<char> buffer(bufferSize);
    std::vector<std::size_t> windows;
    std::string content;
    for (FileReadingLoop loop(buffer.data(), buffer.data() + buffer.size(), path, 0); loop.Remaining() != 0;
         loop.Next()) {
        windows.push_back(loop.Window().Length());
        content.append(loop.Window().first, loop.Window().Length());
    }
    EXPECT_EQ(content, ReadWholeFile(file));
    return windows;
}

TEST(FileReadingLoop, WindowsOverEmptyExactAndRaggedFiles)
{
    ScratchDirectory scratch;
    const FileLocation empty = scratch / "empty", exact = scratch / "exact", ragged = scratch / "ragged";
    WriteWholeFile(empty, "");
    std::string bytes(128 * 1024, 'e');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    WriteWholeFile(exact, bytes);
    WriteWholeFile(ragged, std::string_view(bytes).substr(0, 100 * 1024));
    EXPECT_TRUE(Windows(empty, 65536).empty());
    EXPECT_EQ(Windows(exact, 65536), (std::vector<std::size_t>{65536, 65536}));
    EXPECT_EQ(Windows(ragged, 65536), (std::vector<std::size_t>{65536, 36 * 1024}));
    EXPECT_EQ(Windows(ragged, 1 << 20), (std::vector<std::size_t>{100 * 1024}));
}

TEST(FileReadingLoop, AFileThatShrinksWhileReadIsAnError)
{
    ScratchDirectory scratch;
    const FileLocation file = scratch / "shrinking";
    WriteWholeFile(file, std::string(200000, 's'));
    FileReadingPath path(file, true);
    std::vector<char> buffer(65568);
    FileReadingLoop loop(buffer.data(), buffer.data() + buffer.size(), path, 0);
    EXPECT_EQ(loop.Window().Length(), 65568u);
    {
        UniqueFile writer(CreateFileW(NativePath(file).Begin(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer);
        LONG high = 0;
        SetFilePointer(writer.Get(), 70000, &high, FILE_BEGIN);
        ASSERT_TRUE(SetEndOfFile(writer.Get()));
    }
    loop.Next();  // the bytes up to 70000 are still there
    EXPECT_EQ(loop.Window().Length(), 70000u - 65568u);
    EXPECT_THROW(loop.Next(), FileReadingLoopEndOfFileError);
}

}  // namespace
