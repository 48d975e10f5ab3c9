#include "text/Numerals.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(FormatDecimal, PadsAndFillsTheCapacityExactly)
{
    EXPECT_EQ(FormatDecimal32(0, 1).View(), "0");
    EXPECT_EQ(FormatDecimal32(4294967295u, 1).View(), "4294967295");
    EXPECT_EQ(FormatDecimal32(7, 3).View(), "007");
    EXPECT_EQ(FormatDecimal32(0, 0).View(), "");
    EXPECT_EQ(FormatDecimal32(static_cast<std::uint32_t>(-128), 1).View(), "4294967168");
    EXPECT_EQ(FormatDecimal64(18446744073709551615ull, 1).View(), "18446744073709551615");
    EXPECT_THROW(FormatDecimal32(1, 11), ConstDataCapacityExceeded);
    EXPECT_THROW(FormatDecimal64(1, 21), ConstDataCapacityExceeded);
}

TEST(FormatHex, LowerCaseDigitsWithinEightPlaces)
{
    EXPECT_EQ(FormatHex32(255, 1).View(), "ff");
    EXPECT_EQ(FormatHex32(10, 2).View(), "0a");
    EXPECT_EQ(FormatHex32(0xFFFFFFFF, 1).View(), "ffffffff");
    EXPECT_EQ(FormatHex32(0x4d2, 1).View(), "4d2");
    EXPECT_THROW(FormatHex32(1, 9), ConstDataCapacityExceeded);
}

TEST(ConstData, TextIsFollowedByTwoZeroBytes)
{
    const ConstData<10> digits = FormatDecimal32(42, 1);
    EXPECT_EQ(digits.Length(), 2u);
    EXPECT_EQ(std::memcmp(digits.Text(), "42\0\0", 4), 0);
    ConstData<3> small;
    EXPECT_THROW(small.Assign("abcd"), ConstDataCapacityExceeded);
    EXPECT_EQ(small.Length(), 0u);  // checked before anything is copied
}

TEST(ParseInt32, AcceptsAnOptionalSignAndDigitsOnly)
{
    EXPECT_EQ(ParseInt32("42"), 42);
    EXPECT_EQ(ParseInt32("+42"), 42);
    EXPECT_EQ(ParseInt32("-42"), -42);
    EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseInt32("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseInt32("007"), 7);
    for (const char* bad : {"", "-", "+", "12a", " 1", "1 ", "1,000", "--1", "+-1", "0x10"})
        EXPECT_THROW(ParseInt32(bad), NotANumeral) << '"' << bad << '"';
}

TEST(ParseInt32, RangeErrorsAreTooLarge)
{
    EXPECT_THROW(ParseInt32("2147483648"), NumeralTooLarge);
    EXPECT_THROW(ParseInt32("-2147483649"), NumeralTooLarge);
    EXPECT_THROW(ParseInt32("-9223372036854775808"), NumeralTooLarge);
    // The overflow check comes before the digit check.
    EXPECT_THROW(ParseInt32("99999999999999999999x"), NumeralTooLarge);
}

TEST(ParseInt64, ReportsStatusAtTheLimits)
{
    EXPECT_EQ(ParseInt64("-9223372036854775808").value, INT64_MIN);
    EXPECT_EQ(ParseInt64("-9223372036854775808").status, ParseStatus::Ok);
    EXPECT_EQ(ParseInt64("9223372036854775807").value, INT64_MAX);
    EXPECT_EQ(ParseInt64("9223372036854775808").status, ParseStatus::TooLarge);
    EXPECT_EQ(ParseInt64("-9223372036854775809").status, ParseStatus::TooLarge);
    EXPECT_EQ(ParseInt64("18446744073709551615").status, ParseStatus::TooLarge);
    EXPECT_EQ(ParseInt64("18446744073709551616").status, ParseStatus::TooLarge);
    EXPECT_EQ(ParseInt64("1x").status, ParseStatus::NotANumeral);
}

}  // namespace
