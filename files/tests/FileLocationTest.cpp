#include "files/FileIOError.h"
#include "files/FileLocation.h"
#include "files/FileName.h"

#include <gtest/gtest.h>

#include <string>

#include "text/Win32.h"

namespace {

FileLocation L(std::string_view text) { return FileLocation(U8String(text)); }
std::string S(const FileLocation& location) { return std::string(location.Text().View()); }
std::wstring Native(std::string_view text, std::uint32_t limit = PathLimit)
{
    return std::wstring(NativePath(L(text), limit).StringView());
}

TEST(FileLocation, DropsExactlyOneTrailingSeparator)
{
    EXPECT_EQ(S(L("C:\\")), "C:");
    EXPECT_EQ(S(L("\\")), "\\");
    EXPECT_EQ(S(L("/")), "/");
    EXPECT_EQ(S(L("C:\\dir\\\\")), "C:\\dir\\");
    EXPECT_EQ(S(L("a/")), "a");
    EXPECT_EQ(S(L("a")), "a");
}

TEST(LocationRoot, DrivesSeparatorsAndUncPrefixes)
{
    const LocationRoot drive = AnalyseRoot("C:");
    EXPECT_TRUE(drive.root && drive.drive && drive.absolute);
    EXPECT_EQ(drive.driveText.StringView(), "C:");
    EXPECT_TRUE(L("C:\\").IsRoot());
    EXPECT_TRUE(L("c:").IsRoot());
    EXPECT_FALSE(L("C:\\dir").IsRoot());
    EXPECT_TRUE(L("\\").IsRoot());
    EXPECT_TRUE(L("/").IsRoot());

    const LocationRoot server = AnalyseRoot("\\\\server");
    EXPECT_TRUE(server.unc && server.root && server.absolute);
    const LocationRoot share = AnalyseRoot("\\\\server\\share");
    EXPECT_TRUE(share.unc && !share.root);
    const LocationRoot slashes = AnalyseRoot("//server/share");
    EXPECT_TRUE(slashes.absolute && !slashes.unc && !slashes.root);
    const LocationRoot relative = AnalyseRoot("dir\\file");
    EXPECT_FALSE(relative.absolute || relative.root);
    EXPECT_FALSE(AnalyseRoot("1:").drive);
    EXPECT_THROW(FileLocation().IsRoot(), EmptyFileLocationError);
}

TEST(FileLocation, ParentWalksUpToTheRoot)
{
    EXPECT_EQ(S(L("C:\\dir\\file").Parent()), "C:\\dir");
    EXPECT_EQ(S(L("C:\\file").Parent()), "C:");
    EXPECT_EQ(S(L("\\\\server\\share").Parent()), "\\\\server");
    EXPECT_EQ(S(L("//server/share").Parent()), "//server");
    EXPECT_EQ(S(L("\\foo").Parent()), "\\");
    EXPECT_EQ(S(L("/foo").Parent()), "\\");
    EXPECT_EQ(S(L("a/b\\c").Parent()), "a/b");
}

TEST(FileLocation, ParentFailures)
{
    for (const char* root : {"\\", "/", "C:", "\\\\server"}) {
        try {
            L(root).Parent();
            FAIL() << root;
        } catch (const RootHasNoParent& e) {
            EXPECT_EQ(e.FirstLocation().View(), root);
        }
    }
    try {
        L("C:foo").Parent();
        FAIL();
    } catch (const InvalidFileLocation& e) {
        EXPECT_EQ(e.FirstLocation().View(), "C:foo");
    }
    EXPECT_THROW(L("foo").Parent(), InvalidFileLocation);
    EXPECT_THROW(FileLocation().Parent(), EmptyFileLocationError);
}

TEST(FileLocation, ChildJoinsWithOneBackslash)
{
    EXPECT_EQ(S(FileLocation::Child(L("C:"), "\\x.xml\\")), "C:\\x.xml");
    EXPECT_EQ(S(FileLocation::Child(L("\\"), "a")), "\\a");
    EXPECT_EQ(S(FileLocation::Child(L("d"), "\\\\")), "d");
    EXPECT_EQ(S(FileLocation::Child(L("C:\\dir\\\\"), "f")), "C:\\dir\\f");
    EXPECT_EQ(S(FileLocation::Child(L("d"), "//a/b//")), "d\\a/b");
    EXPECT_THROW(FileLocation::Child(FileLocation(), "a"), EmptyFileLocationError);
}

TEST(NativePath, ShortPathsAreOnlyConvertedAndTerminated)
{
    EXPECT_EQ(Native("C:\\dir\\\xC3\xA9.xml"), L"C:\\dir\\\x00E9.xml");
    const CopiedU16String path = NativePath(L("C:/a"));
    EXPECT_EQ(path.Begin()[path.Length()], L'\0');
    EXPECT_EQ(path.StringView(), L"C:/a");
}

TEST(NativePath, LongDrivePathsGetTheExtendedPrefixFrom259Units)
{
    const std::string at258 = "C:\\" + std::string(255, 'a');
    EXPECT_EQ(Native(at258), std::wstring(at258.begin(), at258.end()));
    const std::string at259 = "C:/" + std::string(256, 'a');
    EXPECT_EQ(Native(at259), L"\\\\?\\C:\\" + std::wstring(256, L'a'));
    // 263 bytes of UTF-8 but only 133 units of UTF-16: no prefix needed.
    std::string accents = "C:\\";
    for (int i = 0; i < 130; ++i)
        accents += "\xC3\xA9";
    EXPECT_EQ(Native(accents).size(), 133u);
    EXPECT_EQ(Native(accents).substr(0, 4), L"C:\\\x00E9");
}

TEST(NativePath, DotComponentsStayUnprefixedButUseBackslashes)
{
    const std::string tail(256, 'b');
    EXPECT_EQ(Native("C:/x/../" + tail), L"C:\\x\\..\\" + std::wstring(256, L'b'));
    EXPECT_EQ(Native("C:/x/./" + tail), L"C:\\x\\.\\" + std::wstring(256, L'b'));
    EXPECT_EQ(Native("C:/" + tail + "/.."), L"C:\\" + std::wstring(256, L'b') + L"\\..");
    EXPECT_EQ(Native("C:/" + tail + "/."), L"C:\\" + std::wstring(256, L'b') + L"\\.");
}

TEST(NativePath, UncGetsTheUncPrefixAndOtherRootsNone)
{
    const std::string tail(260, 'c');
    EXPECT_EQ(Native("\\\\server\\share\\" + tail), L"\\\\?\\UNC\\server\\share\\" + std::wstring(260, L'c'));
    const std::string rooted = "\\dir\\" + tail;
    EXPECT_EQ(Native(rooted), std::wstring(rooted.begin(), rooted.end()));
    const std::string relative = "dir/" + tail;
    EXPECT_EQ(Native(relative), std::wstring(relative.begin(), relative.end()));
}

// A path the caller already gave in the extended-length or device form is the system's
// own spelling: it goes through as it is, whatever its length.
TEST(NativePath, ExtendedAndDeviceFormsPassThroughUnchanged)
{
    for (const std::string& path :
         {"\\\\?\\C:\\" + std::string(300, 'e'), std::string("\\\\?\\C:\\short"), "\\\\?\\UNC\\server\\share\\" + std::string(300, 'f'),
          "\\\\.\\pipe\\" + std::string(300, 'g'), "\\\\.\\C:\\" + std::string(100, 'h')}) {
        SCOPED_TRACE(path.substr(0, 24));
        EXPECT_EQ(Native(path), std::wstring(path.begin(), path.end()));
        EXPECT_EQ(Native(path, DirectoryPathLimit), std::wstring(path.begin(), path.end()));
    }
}

TEST(NativePath, DirectoryCreationLimitIs248)
{
    const std::string at247 = "C:\\" + std::string(244, 'd');
    const std::string at248 = "C:\\" + std::string(245, 'd');
    EXPECT_EQ(Native(at247, DirectoryPathLimit).substr(0, 3), L"C:\\");
    EXPECT_EQ(Native(at248, DirectoryPathLimit).substr(0, 4), L"\\\\?\\");
    EXPECT_EQ(Native(at248, PathLimit).substr(0, 3), L"C:\\");
}

TEST(FileName, ValidatesOneComponent)
{
    EXPECT_EQ(FileName("request.xml").Text().View(), "request.xml");
    EXPECT_EQ(FileName("...").Text().View(), "...");
    EXPECT_EQ(FileName(".a").Text().View(), ".a");
    EXPECT_EQ(FileName(std::string_view(std::string(256, 'n'))).Text().Length(), 256u);
    const FileName tooLong(std::string_view(std::string(257, 'n')));
    EXPECT_TRUE(tooLong.Text().Empty());
    EXPECT_EQ(S(FileLocation::Child(L("C:\\d"), tooLong)), "C:\\d");
    EXPECT_THROW(FileName("."), IllegalFileNameReserved);
    EXPECT_THROW(FileName(".."), IllegalFileNameReserved);
    for (const char* bad : {"a:b", "a\tb", "a\\b", "a/b", "a*", "a?", "<a", "a>", "a|b", "\"a\"", "\x1f"})
        EXPECT_THROW(FileName{bad}, IllegalFileName) << bad;
    EXPECT_EQ(FileName("CON").Text().View(), "CON");
}

TEST(FileLocation, AttributesOfMissingOrEmptyLocations)
{
    EXPECT_EQ(FileLocation().Attributes(), INVALID_FILE_ATTRIBUTES);
    const FileLocation missing = L("C:\\no such dir\\no such file");
    EXPECT_EQ(missing.Attributes(), INVALID_FILE_ATTRIBUTES);
    try {
        missing.IsDirectory();
        FAIL();
    } catch (const InvalidFileAttrs& e) {
        EXPECT_EQ(e.Code(), 0u);
        EXPECT_TRUE(e.FirstLocation().Empty());
    }
    EXPECT_THROW(missing.IsFile(), InvalidFileAttrs);
    EXPECT_TRUE(L("C:\\").IsDirectory());
}

}  // namespace
