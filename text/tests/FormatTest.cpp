#include "text/Format.h"
#include "text/Numerals.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Str(const CopiedU8String& s) { return std::string(s.StringView()); }

TEST(Format, LiteralsAndValuesInOrder)
{
    EXPECT_EQ(Str(Format("")), "");
    EXPECT_EQ(Str(Format("Unable to write XML element with invalid element name '{s}'", "a<b")),
              "Unable to write XML element with invalid element name 'a<b'");
    EXPECT_EQ(Str(Format("a}b")), "a}b");
    EXPECT_EQ(Str(Format("100% {p}%", "sure")), "100% sure%");
    EXPECT_EQ(Str(Format("Windows Error 0x{err}: {msg}", FormatHex32(0x4d2, 1), "text")),
              "Windows Error 0x4d2: text");
    EXPECT_EQ(Str(Format("{b}{a}", "1", "2")), "12");
}

TEST(Format, EscapeVariablesTakeNoValue)
{
    EXPECT_EQ(Str(Format("{_obrace}x{_cbrace}")), "{x}");
    EXPECT_EQ(Str(Format("{_crlf}")), "\r\n");
    EXPECT_EQ(Str(Format("{_cr}{_lf}")), "\r\n");
    EXPECT_EQ(Str(Format("{_tab}{s}", "v")), "\tv");
    EXPECT_THROW(Format("{_nl}"), UndefinedFormatVariable);
    EXPECT_THROW(Format("{_}"), UndefinedFormatVariable);
}

TEST(Format, NamesAreCheckedAfterTheirFirstByte)
{
    EXPECT_THROW(Format("{}"), ImproperFormatVariableName);
    EXPECT_THROW(Format("{a b}", "v"), ImproperFormatVariableName);
    EXPECT_THROW(Format("{a-b}", "v"), ImproperFormatVariableName);
    EXPECT_EQ(Str(Format("{1x}", "v")), "v");
    EXPECT_EQ(Str(Format("{-}", "v")), "v");
    EXPECT_EQ(Str(Format("{{}", "v")), "v");  // the name is "{"
}

TEST(Format, UnterminatedVariableFailsWhereItIsReached)
{
    EXPECT_THROW(Format("{s"), BadFormatStringError);
    // Binding reaches the broken brace after taking one value: the error is the brace,
    // not the count of values.
    EXPECT_THROW(Format("x{s} {t", "1", "2"), BadFormatStringError);
    EXPECT_THROW(Format("{a}{b}{", "1"), TooManyFormatArguments);
}

TEST(Format, ValueCountMustMatchTheValueVariables)
{
    EXPECT_THROW(Format("{a}{b}", "1"), TooManyFormatArguments);
    EXPECT_THROW(Format("{a}", "1", "2"), TooFewFormatArguments);
    EXPECT_THROW(Format("no variables", "1"), TooFewFormatArguments);
}

TEST(Format, RepeatedNamesEachTakeAValueAndRenderTheFirstInOrder)
{
    EXPECT_EQ(Str(Format("{s} and {s}", "y", "x")), "x and x");
    // Ordering is byte-wise unsigned: 0xC3 sorts after ASCII.
    EXPECT_EQ(Str(Format("{s}{s}", "\xC3\xA9", "z")), "zz");
}

TEST(Format, ResultsAreSizedExactly)
{
    const std::string v64(64, 'v');
    const CopiedU8String inlineResult = Format("{v}", std::string_view(v64));
    EXPECT_TRUE(inlineResult.IsInline());
    const CopiedU8String heapResult = Format("{v}!", std::string_view(v64));
    EXPECT_FALSE(heapResult.IsInline());
    EXPECT_EQ(heapResult.Capacity(), 65u);
    EXPECT_EQ(Str(heapResult), v64 + "!");
}

}  // namespace
