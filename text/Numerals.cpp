#include "text/Numerals.h"

namespace {

// Digits are produced from the least significant end into a stack scratch area.
template <std::uint32_t N>
ConstData<N> FormatDigits(std::uint64_t value, std::uint32_t minDigits, unsigned base)
{
    char scratch[64];
    char* const end = scratch + sizeof scratch;
    char* p = end;
    std::uint32_t count = 0;
    while (value != 0 || count < minDigits) {
        if (p == scratch)
            throw ConstDataCapacityExceeded();
        const unsigned digit = static_cast<unsigned>(value % base);
        *--p = static_cast<char>(digit < 10 ? '0' + digit : 'a' + (digit - 10));
        value /= base;
        ++count;
    }
    return ConstData<N>(U8String(p, end));
}

}  // namespace

ConstData<20> FormatDecimal64(std::uint64_t value, std::uint32_t minDigits)
{
    return FormatDigits<20>(value, minDigits, 10);
}

ConstData<10> FormatDecimal32(std::uint32_t value, std::uint32_t minDigits)
{
    return ConstData<10>(FormatDecimal64(value, minDigits));
}

ConstData<8> FormatHex32(std::uint32_t value, std::uint32_t minDigits)
{
    return ConstData<8>(FormatDigits<16>(value, minDigits, 16));
}

namespace {

// The multiplication is checked before the byte is looked at, so digits that overflow
// before an invalid byte is reached report "too large".
ParseStatus ParseMagnitude(U8String text, std::uint64_t& magnitude)
{
    if (text.Empty())
        return ParseStatus::NotANumeral;
    std::uint64_t value = 0;
    for (const char* p = text.first; p != text.last; ++p) {
        if (value > UINT64_MAX / 10)
            return ParseStatus::TooLarge;
        value *= 10;
        const auto byte = static_cast<unsigned char>(*p);
        if (byte < '0' || byte > '9')
            return ParseStatus::NotANumeral;
        const unsigned digit = byte - '0';
        if (value > UINT64_MAX - digit)
            return ParseStatus::TooLarge;
        value += digit;
    }
    magnitude = value;
    return ParseStatus::Ok;
}

}  // namespace

ParseResult ParseInt64(U8String text) noexcept
{
    if (text.Empty())
        return {ParseStatus::NotANumeral, 0};
    constexpr std::uint64_t limit = std::uint64_t{1} << 63;
    std::uint64_t magnitude = 0;
    if (*text.first == '-') {
        const ParseStatus status = ParseMagnitude({text.first + 1, text.last}, magnitude);
        if (status != ParseStatus::Ok)
            return {status, 0};
        if (magnitude > limit)
            return {ParseStatus::TooLarge, 0};
        if (magnitude == limit)
            return {ParseStatus::Ok, INT64_MIN};
        return {ParseStatus::Ok, -static_cast<std::int64_t>(magnitude)};
    }
    if (*text.first == '+')
        ++text.first;
    const ParseStatus status = ParseMagnitude(text, magnitude);
    if (status != ParseStatus::Ok)
        return {status, 0};
    if (magnitude >= limit)
        return {ParseStatus::TooLarge, 0};
    return {ParseStatus::Ok, static_cast<std::int64_t>(magnitude)};
}

std::int32_t ParseInt32(U8String text)
{
    const ParseResult result = ParseInt64(text);
    switch (result.status) {
    case ParseStatus::Ok:
        break;
    case ParseStatus::NotANumeral:
        throw NotANumeral();
    case ParseStatus::TooLarge:
        throw NumeralTooLarge();
    }
    if (result.value < INT32_MIN || result.value > INT32_MAX)
        throw NumeralTooLarge();
    return static_cast<std::int32_t>(result.value);
}

void Int32Accumulator::Add(U8String piece) noexcept
{
    for (const char* p = piece.first; p != piece.last && status_ == ParseStatus::Ok; ++p) {
        if (!any_) {
            any_ = true;
            if (*p == '-' || *p == '+') {
                sign_ = *p == '-' ? Sign::Minus : Sign::Plus;
                continue;
            }
        }
        // As ParseMagnitude: the multiplication is checked before the byte is looked at.
        digits_ = true;
        if (magnitude_ > UINT64_MAX / 10) {
            status_ = ParseStatus::TooLarge;
            break;
        }
        magnitude_ *= 10;
        const auto byte = static_cast<unsigned char>(*p);
        if (byte < '0' || byte > '9') {
            status_ = ParseStatus::NotANumeral;
            break;
        }
        const unsigned digit = byte - '0';
        if (magnitude_ > UINT64_MAX - digit) {
            status_ = ParseStatus::TooLarge;
            break;
        }
        magnitude_ += digit;
    }
}

std::int32_t Int32Accumulator::Value() const
{
    if (status_ == ParseStatus::NotANumeral || !digits_)
        throw NotANumeral();
    if (status_ == ParseStatus::TooLarge)
        throw NumeralTooLarge();
    const std::uint64_t limit = sign_ == Sign::Minus ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
    if (magnitude_ > limit)
        throw NumeralTooLarge();
    return sign_ == Sign::Minus ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude_))
                                : static_cast<std::int32_t>(magnitude_);
}
