#include "text/CharacterSetResult.h"
#include "text/CodePageConversion.h"
#include "text/Transcoding.h"
#include "text/Win32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

template <class F>
void ExpectCharacterSetFailure(F convert, const char* location)
{
    try {
        convert();
        FAIL() << "no exception";
    } catch (const WindowsCharacterSetResult& e) {
        EXPECT_EQ(e.WindowsError(), 1113u);
        EXPECT_EQ(e.Location(), location);
        EXPECT_FALSE(e.Succeeded());
    }
}

TEST(StrictTranscoding, EmptyInputGivesTheEmptyInlineState)
{
    SetLastError(1234);
    const CopiedU8String narrow = TranscodeU16ToU8({});
    EXPECT_TRUE(narrow.Empty());
    EXPECT_EQ(narrow.Capacity(), 64u);
    EXPECT_TRUE(narrow.IsInline());
    EXPECT_EQ(GetLastError(), 1234u);  // no system call was made
    EXPECT_TRUE(TranscodeU8ToU16({}).Empty());
}

TEST(StrictTranscoding, RoundTripsEveryPlane)
{
    const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a é € 😀
    const CopiedU16String wide = TranscodeU8ToU16(std::string_view(utf8));
    EXPECT_EQ(wide.StringView(), L"a\x00E9\x20AC\xD83D\xDE00");
    EXPECT_EQ(TranscodeU16ToU8(wide).StringView(), utf8);
}

TEST(StrictTranscoding, IllFormedInputFailsWithCode1113AndTheTranscodersName)
{
    ExpectCharacterSetFailure([] { TranscodeU16ToU8(std::wstring_view(L"ab\xD800")); }, "TranscodeU16ToU8");
    ExpectCharacterSetFailure([] { TranscodeU16ToU8(std::wstring_view(L"\xDC00x")); }, "TranscodeU16ToU8");
    for (const char* bad : {"\xC0\x80", "\xED\xA0\x80", "\xE2\x82", "\x80", "x\xF8\x88\x80\x80\x80"})
        ExpectCharacterSetFailure([bad] { TranscodeU8ToU16(bad); }, "TranscodeU8ToU16");
}

TEST(StrictTranscoding, ResultsOf64UnitsStayInlineAndLongerOnesAreExact)
{
    const std::string ascii64(64, 'q');
    const CopiedU16String wide64 = TranscodeU8ToU16(std::string_view(ascii64));
    EXPECT_TRUE(wide64.IsInline());
    const CopiedU8String back64 = TranscodeU16ToU8(wide64);
    EXPECT_TRUE(back64.IsInline());
    EXPECT_EQ(back64.StringView(), ascii64);

    // 32 two-byte characters plus one byte: 65 bytes of UTF-8.
    std::wstring wide(32, L'\x00E9');
    wide += L'x';
    const CopiedU8String narrow65 = TranscodeU16ToU8(std::wstring_view(wide));
    EXPECT_FALSE(narrow65.IsInline());
    EXPECT_EQ(narrow65.Length(), 65u);
    EXPECT_EQ(narrow65.Capacity(), 65u);
}

TEST(LenientConversion, SubstitutesInsteadOfFailing)
{
    EXPECT_EQ(ConvertUTF8ToUTF16(std::string_view("\xFF")).StringView(), L"\xFFFD");
    EXPECT_EQ(ConvertUTF16ToUTF8(std::wstring_view(L"a\xD800")).StringView(), "a\xEF\xBF\xBD");
    EXPECT_TRUE(ConvertUTF8ToACP({}).Empty());
}

TEST(LenientConversion, AsciiSurvivesTheAnsiCodePageBothWays)
{
    EXPECT_EQ(ConvertUTF8ToACP(std::string_view("Plain text 123")).StringView(), "Plain text 123");
    EXPECT_EQ(ConvertACPToUTF8(std::string_view("Plain text 123")).StringView(), "Plain text 123");
    // A character outside most code pages still converts to something, without failing.
    EXPECT_FALSE(ConvertUTF8ToACP(std::string_view("\xE4\xB8\xAD")).Empty());
}

}  // namespace
