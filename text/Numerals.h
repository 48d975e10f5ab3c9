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

// ParseInt32 over a text that arrives in pieces, holding a few bytes of state however long
// it grows: the same value, or the same exception, as ParseInt32 of the whole text.
class Int32Accumulator {
public:
    void Add(U8String piece) noexcept;
    std::int32_t Value() const;

private:
    enum class Sign : std::uint8_t { Unseen, Plus, Minus };
    std::uint64_t magnitude_ = 0;
    ParseStatus status_ = ParseStatus::Ok;
    Sign sign_ = Sign::Unseen;
    bool any_ = false;     // a byte has arrived
    bool digits_ = false;  // a byte of the magnitude has arrived
};
