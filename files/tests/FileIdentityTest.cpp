#include "files/FileHandleOperations.h"
#include "files/FileIdentity.h"
#include "files/tests/ScratchDirectory.h"
#include "text/Transcoding.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "text/Win32.h"

namespace {

FileLocation FromWide(const std::wstring& path)
{
    return FileLocation(TranscodeU16ToU8(std::wstring_view(path)));
}

// Every spelling of one file is that file; another file with the same bytes is not.
TEST(FileIdentity, EverySpellingOfOneFileIsThatFile)
{
    ScratchDirectory scratch;
    const FileLocation dir = scratch / "Answers Folder";
    ASSERT_TRUE(CreateDirectoryW(Wide(dir).c_str(), nullptr));
    const FileLocation file = FileLocation::Child(dir, "response document.xml");
    WriteWholeFile(file, "<r/>");
    const FileLocation twin = FileLocation::Child(dir, "twin.xml");
    WriteWholeFile(twin, "<r/>");
    const FileLocation link = FileLocation::Child(dir, "hard link.xml");
    ASSERT_TRUE(CreateHardLinkW(Wide(link).c_str(), Wide(file).c_str(), nullptr));

    std::wstring upper = Wide(file);
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameW(Wide(file).c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(std::wstring(shortName), Wide(file));

    const struct {
        const char* spelling;
        FileLocation location;
        bool same;
    } cases[] = {
        {"as it is", file, true},
        {"in upper case", FromWide(upper), true},
        {"by its 8.3 name", FromWide(shortName), true},
        {"in the \\\\?\\ form", FromWide(L"\\\\?\\" + Wide(file)), true},
        {"through ..", FileLocation::Child(FileLocation::Child(dir, "..\\Answers Folder\\.\\"), "response document.xml"),
         true},
        {"through a hard link", link, true},
        {"another file with the same bytes", twin, false},
        {"a file that is not there", FileLocation::Child(dir, "absent.xml"), false},
        {"the folder", dir, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spelling);
        EXPECT_EQ(SameFile(c.location, file), c.same);
        EXPECT_EQ(SameFile(file, c.location), c.same);
    }
    EXPECT_TRUE(IdentityOf(dir));
    EXPECT_FALSE(SameFile(FileLocation(), FileLocation()));
}

// A final path, as the system gives it, names the path a user gave when only its spelling
// differs: the prefix, letter case, separators. A network path keeps its leading pair: it
// is not the folder of that name on the current drive.
TEST(FileIdentity, AFinalPathNamesTheSamePlaceSpelledAnotherWay)
{
    const struct {
        const wchar_t* final;
        const wchar_t* given;
        bool same;
    } cases[] = {
        {L"\\\\?\\C:\\Data\\out", L"C:\\data\\Out\\", true},
        {L"\\\\?\\C:\\Data\\out", L"C:/Data//out", true},
        {L"\\\\?\\UNC\\server\\share\\out", L"\\\\server\\share\\out", true},
        {L"\\\\?\\UNC\\server\\share\\out", L"\\\\?\\UNC\\Server\\Share\\out", true},
        {L"\\\\?\\UNC\\server\\share\\out", L"//server/share/out", true},
        {L"\\\\?\\UNC\\server\\share\\out", L"\\\\server\\share\\other", false},
        {L"\\\\?\\UNC\\server\\share\\out", L"C:\\server\\share\\out", false},
        {L"\\\\?\\C:\\server\\share\\out", L"\\\\server\\share\\out", false},
        {L"\\\\?\\UNC\\elsewhere\\share\\out", L"Z:\\out", false},  // a mapped drive: not its name
    };
    for (const auto& c : cases)
        EXPECT_EQ(FinalPathNames(c.final, FromWide(c.given)), c.same) << Narrow(c.final) << " " << Narrow(c.given);
}

}  // namespace
