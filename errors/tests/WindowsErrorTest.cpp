#include "errors/WindowsError.h"
#include "errors/tests/SystemMessageOracle.h"
#include "text/Transcoding.h"
#include "text/Win32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The system's own text for a code, without the trailing line break it comes with.
std::string SystemText(DWORD code)
{
    std::wstring wide = AskedSystemMessage(code);
    while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' '))
        wide.pop_back();
    return std::string(TranscodeU16ToU8(std::wstring_view(wide)).StringView());
}

TEST(WindowsError, DescriptionIsTheTemplateWithTheSystemTextAndATrailingNul)
{
    const Windows::Error e(2);
    const std::string text = SystemText(2);
    ASSERT_FALSE(text.empty());
    const std::string expected = "Windows Error 0x2: " + text;
    EXPECT_EQ(std::string(e.Description().View()), expected + std::string(1, '\0'));
    EXPECT_EQ(std::string(e.what()), expected);
    EXPECT_EQ(e.Description().View().find("\r\n"), std::string::npos);
}

TEST(WindowsError, UnknownCodeShowsItsDigitsTwice)
{
    const Windows::Error e(0x2000FFFF);
    EXPECT_STREQ(e.what(), "Windows Error 0x2000ffff: unknown error 0x2000ffff");
}

TEST(WindowsError, CopyRebuildsItsCachesFromCodeAndModule)
{
    const Windows::Error original(5);
    const std::string described(original.Description().View());
    const Windows::Error copy(original);
    EXPECT_EQ(copy.Code(), 5u);
    EXPECT_EQ(copy.Module(), nullptr);
    EXPECT_NE(copy.Description().first, original.Description().first);
    EXPECT_EQ(std::string(copy.Description().View()), described);
}

TEST(WindowsError, RaisersNeverThrowForZero)
{
    EXPECT_NO_THROW(ThrowIfWindowsError(0));
    SetLastError(0);
    EXPECT_NO_THROW(ThrowLastWindowsError());
    EXPECT_NO_THROW(ThrowLastWindowsErrorIfFalse(FALSE));
    EXPECT_NO_THROW(ThrowLastWindowsErrorIfFalse(TRUE));
    try {
        SetLastError(ERROR_ACCESS_DENIED);
        ThrowLastWindowsErrorIfFalse(FALSE);
        FAIL();
    } catch (const Windows::Error& e) {
        EXPECT_EQ(e.Code(), 5u);
    }
    try {
        ThrowIfWindowsError(ERROR_PATH_NOT_FOUND);
        FAIL();
    } catch (const Windows::Error& e) {
        EXPECT_EQ(e.Code(), 3u);
    }
}

TEST(SystemMessageText, TrimmedTextOrUnknownErrorWithHexDigits)
{
    EXPECT_EQ(std::string(SystemMessageText(5).StringView()), SystemText(5));
    EXPECT_EQ(std::string(SystemMessageText(1234 + 0x20000000).StringView()), "unknown error 0x200004d2");
}

TEST(WindowsErrorText, CarriesTheLiteralPercentSign)
{
    EXPECT_EQ(std::string(WindowsErrorText(2).StringView()), "Windows Error 0x2%: " + SystemText(2));
}

TEST(LocalMemoryHolder, ReleasesOnResetAndReportsARefusal)
{
    LocalMemoryHolder holder(LocalAlloc(LMEM_FIXED, 16));
    EXPECT_NO_THROW(holder.Reset());
    EXPECT_EQ(holder.Get(), nullptr);
    EXPECT_NO_THROW(holder.Reset());  // null is not released
}

}  // namespace
