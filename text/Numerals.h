#pragma once
// Numbers as text without allocation, and the strict decimal parser.
#include "text/ConstData.h"

#include <cstdint>

VERIMARK_PLAIN_EXCEPTION(NotANumeral, DebuggableException);
VERIMARK_PLAIN_EXCEPTION(NumeralTooLarge, DebuggableException);

// minDigits is the least number of digits; shorter results are padded on the left with 0.
ConstData<20> FormatDecimal64(std::uint64_t value, std::uint32_t minDigits);
ConstData<10> FormatDecimal32(std::uint32_t value, std::uint32_t minDigits);
ConstData<8> FormatHex32(std::uint32_t value, std::uint32_t minDigits);

enum class ParseStatus { Ok = 0, NotANumeral = 1, TooLarge = 2 };

struct ParseResult {
    ParseStatus status;
    std::int64_t value;
};

// An optional sign, then ASCII digits and nothing else.
ParseResult ParseInt64(U8String text) noexcept;
std::int32_t ParseInt32(U8String text);
