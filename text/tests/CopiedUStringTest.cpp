#include "text/CopiedUString.h"
#include "text/Format.h"
#include "text/ListPL.h"
#include "text/Pair.h"
#include "text/UStringBuilder.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

CopiedU8String Bytes(std::size_t n, char c = 'x')
{
    const std::string text(n, c);
    return CopiedU8String(U8String(std::string_view(text)));
}

TEST(CopiedUString, EmptyStateUsesTheInlineBuffer)
{
    CopiedU16String s;
    EXPECT_TRUE(s.Empty());
    EXPECT_TRUE(s.IsInline());
    EXPECT_EQ(s.Capacity(), 64u);
}

TEST(CopiedUString, KnownLengthsStayInlineUpTo64AndAreExactOnTheHeap)
{
    const CopiedU8String at64 = Bytes(64);
    EXPECT_TRUE(at64.IsInline());
    EXPECT_EQ(at64.Capacity(), 64u);
    const CopiedU8String at65 = Bytes(65);
    EXPECT_FALSE(at65.IsInline());
    EXPECT_EQ(at65.Capacity(), 65u);
    EXPECT_EQ(at65.StringView(), std::string(65, 'x'));
}

// Lengths are 32-bit. A longer text is refused before a byte is copied: cutting the length
// and then copying the whole text would write far past the storage. The range is never
// read, so it need not be backed by memory.
TEST(CopiedUString, TextsBeyondThirtyTwoBitLengthsAreRefusedBeforeAnyCopy)
{
    if constexpr (sizeof(std::size_t) == 4) {
        GTEST_SKIP() << "a 32-bit process cannot name such a text";
    } else {
        const auto* first = reinterpret_cast<const char*>(std::uintptr_t{1} << 20);
        const U8String huge(first, first + static_cast<std::size_t>(std::uint64_t{1} << 32) + 1);
        EXPECT_THROW(CopiedU8String{huge}, std::length_error);
        CopiedU8String grown = Bytes(3);
        EXPECT_THROW(grown.Append(huge), std::length_error);
        EXPECT_EQ(grown.StringView(), "xxx");
        EXPECT_THROW(Format("{value}", huge), std::length_error);
    }
}

TEST(CopiedUString, AppendGrowsGeometrically)
{
    CopiedU8String full = Bytes(64);
    full.Append("y");
    EXPECT_EQ(full.Capacity(), 128u);
    EXPECT_EQ(full.StringView(), std::string(64, 'x') + "y");

    CopiedU8String hundred = Bytes(100);
    ASSERT_EQ(hundred.Capacity(), 100u);
    hundred.Append(std::string_view("0123456789"));
    EXPECT_EQ(hundred.Capacity(), 200u);
    EXPECT_EQ(hundred.Length(), 110u);

    CopiedU8String empty;
    const std::string big(300, 'z');
    empty.Append(std::string_view(big));
    EXPECT_EQ(empty.Capacity(), 300u);
    EXPECT_EQ(empty.StringView(), big);

    CopiedU8String fits = Bytes(10);
    fits.Append("abc");
    EXPECT_TRUE(fits.IsInline());
    fits.Append(U8String());
    EXPECT_EQ(fits.StringView(), "xxxxxxxxxxabc");
}

TEST(CopiedUString, AppendingItsOwnTextWhileGrowing)
{
    CopiedU8String s = Bytes(40, 'a');
    s.Append(s.View());
    s.Append(s.View());
    EXPECT_EQ(s.StringView(), std::string(160, 'a'));
}

TEST(CopiedUString, MoveOfInlineTextCopiesIntoTheDestinationsOwnBuffer)
{
    CopiedU8String source = Bytes(10);
    CopiedU8String target(std::move(source));
    EXPECT_TRUE(target.IsInline());
    EXPECT_EQ(target.Length(), 10u);
    EXPECT_EQ(target.StringView(), "xxxxxxxxxx");
    EXPECT_TRUE(source.Empty());
    EXPECT_TRUE(source.IsInline());
}

TEST(CopiedUString, MoveOfHeapTextTransfersTheStorage)
{
    CopiedU8String source = Bytes(100);
    const char* storage = source.Begin();
    CopiedU8String target = Bytes(200);
    target = std::move(source);
    EXPECT_EQ(target.Begin(), storage);
    EXPECT_EQ(target.Capacity(), 100u);
    EXPECT_TRUE(source.Empty());
    EXPECT_EQ(source.Capacity(), 64u);

    CopiedU8String& alias = target;
    target = std::move(alias);
    EXPECT_EQ(target.Begin(), storage);
    EXPECT_EQ(target.Length(), 100u);
}

TEST(CopiedUString, SetEndChecksTheStorageBounds)
{
    CopiedU8String s = Bytes(3);
    s.SetEnd(s.Begin() + 64);
    EXPECT_EQ(s.Length(), 64u);
    try {
        s.SetEnd(s.Begin() + 65);
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "SetEnd out of range");
    }
    EXPECT_THROW(s.SetEnd(s.Begin() - 1), std::out_of_range);
}

TEST(UStringBuilder, BeginSizesFromTheHintAndDiscardsEarlierText)
{
    UStringBuilder<UTF16> builder(100);
    builder.Begin(nullptr);
    const std::wstring_view ab = L"ab";
    builder.Append(ab.data(), ab.data() + ab.size());
    EXPECT_EQ(builder.Measure(ab.data(), ab.data() + 1), 3u);
    builder.Begin(nullptr);
    builder.Append(ab.data() + 1, ab.data() + 2);
    builder.End();
    CopiedU16String text = builder.Take();
    EXPECT_EQ(text.StringView(), L"b");
    EXPECT_EQ(text.Capacity(), 100u);

    UStringBuilder<UTF8> small(10);
    small.Begin(nullptr);
    EXPECT_EQ(small.Take().Capacity(), 64u);
}

TEST(ListPL, KeepsElementsInInsertionOrderForRepeatedWalks)
{
    ListPL<Pair<CopiedU8String, CopiedU8String>> attributes;
    attributes.Add({CopiedU8String("a"), CopiedU8String("1")});
    auto& second = attributes.Add({CopiedU8String("b"), CopiedU8String("2")});
    EXPECT_EQ(second.first.StringView(), "b");
    EXPECT_EQ(attributes.count, 2u);
    for (int walk = 0; walk < 2; ++walk) {
        std::string seen;
        attributes.Rewind();
        while (auto* pair = attributes.Next())
            seen += std::string(pair->first.StringView()) + "=" + std::string(pair->second.StringView()) + ";";
        EXPECT_EQ(seen, "a=1;b=2;");
    }
}

}  // namespace
