#include "text/StringAlgorithms.h"

#include <gtest/gtest.h>

#include <string>

namespace {

U16String W(std::wstring_view text) { return U16String(text); }

std::wstring Str(const CopiedU16String& s) { return std::wstring(s.StringView()); }

TEST(Find, ExactMatchesAnywhereAndTheEndWhenAbsent)
{
    const std::wstring_view text = L"abcabc";
    EXPECT_EQ(Find(W(text), W(L"ca")), text.data() + 2);
    EXPECT_EQ(Find(W(text), W(L"C")), text.data() + text.size());
    EXPECT_EQ(Find(W(text), W(L"")), text.data());
    const std::wstring_view shortText = L"ab";
    EXPECT_EQ(Find(W(shortText), W(L"abc")), shortText.data() + 2);
    const std::wstring_view tail = L"xxbc";
    EXPECT_EQ(Find(W(tail), W(L"bc")), tail.data() + 2);
    // A match may start inside a surrogate pair.
    const std::wstring_view pair = L"\xD83D\xDE00";
    EXPECT_EQ(Find(W(pair), W(L"\xDE00")), pair.data() + 1);
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutOverlapOrRescanning)
{
    EXPECT_EQ(Str(ReplaceAll(W(L"a/b/c"), W(L"/"), W(L"\\"))), L"a\\b\\c");
    EXPECT_EQ(Str(ReplaceAll(W(L"a/b/c"), W(L""), W(L"\\"))), L"a/b/c");
    EXPECT_EQ(Str(ReplaceAll(W(L"aaa"), W(L"aa"), W(L"b"))), L"ba");
    EXPECT_EQ(Str(ReplaceAll(W(L"aa"), W(L"a"), W(L"aa"))), L"aaaa");
    EXPECT_EQ(Str(ReplaceAll(W(L""), W(L"a"), W(L"b"))), L"");
    EXPECT_EQ(Str(ReplaceAll(W(L"//"), W(L"/"), W(L""))), L"");
}

TEST(Concatenate, JoinsAndSizesExactly)
{
    const std::wstring a(50, L'a'), b(30, L'b');
    const CopiedU16String joined = Concatenate(W(a), W(b));
    EXPECT_EQ(Str(joined), a + b);
    EXPECT_EQ(joined.Capacity(), 80u);
    EXPECT_EQ(Str(Concatenate(W(L""), W(L""))), L"");
}

TEST(TrimAsciiWhitespace, TrimsOnlyTabLineFeedCarriageReturnAndSpace)
{
    const std::string_view blank = "\r\n \t";
    const U8String trimmedBlank = TrimAsciiWhitespace(blank);
    EXPECT_TRUE(trimmedBlank.Empty());
    EXPECT_EQ(trimmedBlank.first, blank.data() + blank.size());
    EXPECT_EQ(TrimAsciiWhitespace(std::string_view(" \tx y\r\n")).View(), "x y");
    EXPECT_EQ(TrimAsciiWhitespace(std::string_view("\xC2\xA0x\xC2\xA0")).View(), "\xC2\xA0x\xC2\xA0");
    EXPECT_EQ(TrimAsciiWhitespace(std::string_view("\v\fx")).View(), "\v\fx");
}

TEST(Terminated, ReusesTheStorageWhenThereIsRoomForTheZero)
{
    CopiedU16String source(W(L"abc"));
    const wchar_t* storage = source.Begin();
    const CopiedU16String reused = Terminated(std::move(source));
    EXPECT_EQ(reused.Length(), 3u);
    EXPECT_STREQ(reused.Begin(), L"abc");
    EXPECT_NE(reused.Begin(), storage);  // inline text moves into the result's own buffer
    EXPECT_TRUE(source.Empty());

    const std::wstring hundred(100, L'h');
    CopiedU16String heap(W(hundred));
    ASSERT_EQ(heap.Capacity(), 100u);
    const CopiedU16String copied = Terminated(std::move(heap));
    EXPECT_EQ(copied.Capacity(), 101u);
    EXPECT_EQ(copied.Length(), 100u);
    EXPECT_EQ(copied.Begin()[100], L'\0');
    EXPECT_EQ(heap.Length(), 100u);  // left as it was

    CopiedU16String grown(W(hundred));
    grown.Append(W(L"x"));  // capacity 200 now
    const wchar_t* grownStorage = grown.Begin();
    const CopiedU16String moved = Terminated(std::move(grown));
    EXPECT_EQ(moved.Begin(), grownStorage);
    EXPECT_EQ(moved.Begin()[101], L'\0');

    const std::wstring full(64, L'f');
    const CopiedU16String fromFullInline = Terminated(CopiedU16String(W(full)));
    EXPECT_EQ(fromFullInline.Capacity(), 65u);
    EXPECT_EQ(fromFullInline.Begin()[64], L'\0');
}

}  // namespace
