// ParseInt64 against an independent reading of the same rules, ParseInt32 against its
// piecewise form, and the formatters against their capacities.
#include "text/Numerals.h"

#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The rules, read plainly with wide arithmetic: sign, digits, range; an overflow is
// found before a later non-digit.
ParseStatus Reference(std::string_view text, std::int64_t& value)
{
    if (text.empty())
        return ParseStatus::NotANumeral;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return ParseStatus::NotANumeral;
    unsigned __int128 magnitude = 0;
    for (char c : text) {
        if (magnitude * 10 > UINT64_MAX)
            return ParseStatus::TooLarge;
        if (c < '0' || c > '9')
            return ParseStatus::NotANumeral;
        magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
        if (magnitude > UINT64_MAX)
            return ParseStatus::TooLarge;
    }
    const unsigned __int128 limit = static_cast<unsigned __int128>(1) << 63;
    if (negative ? magnitude > limit : magnitude >= limit)
        return ParseStatus::TooLarge;
    value = negative ? static_cast<std::int64_t>(-static_cast<__int128>(magnitude)) : static_cast<std::int64_t>(magnitude);
    return ParseStatus::Ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::int64_t expected = 0;
    const ParseStatus expectedStatus = Reference(text, expected);
    const ParseResult result = ParseInt64(U8String(std::string_view(text)));
    if (result.status != expectedStatus || (result.status == ParseStatus::Ok && result.value != expected))
        std::abort();

    // ParseInt32 of the whole text against the accumulator fed in pieces: the same value
    // or the same exception.
    auto outcome = [](auto read) -> std::int64_t {
        try {
            return read();
        } catch (const NotANumeral&) {
            return INT64_MIN;
        } catch (const NumeralTooLarge&) {
            return INT64_MAX;
        }
    };
    const std::int64_t whole = outcome([&] { return ParseInt32(U8String(std::string_view(text))); });
    const std::int64_t pieces = outcome([&] {
        Int32Accumulator accumulator;
        const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1), second = std::max(cut, size / 2);
        accumulator.Add(U8String(text.data(), text.data() + cut));
        accumulator.Add(U8String(text.data() + cut, text.data() + second));
        accumulator.Add(U8String(text.data() + second, text.data() + size));
        return accumulator.Value();
    });
    if (whole != pieces)
        std::abort();

    if (size >= 5) {
        std::uint32_t value;
        std::memcpy(&value, data, 4);
        const std::uint32_t minDigits = data[4] % 24;
        const std::string decimal = std::to_string(value);
        // 0 with no minimum is the empty text.
        const std::size_t decimalDigits =
            value == 0 && minDigits == 0 ? 0 : std::max<std::size_t>(decimal.size(), minDigits);
        try {
            const ConstData<10> formatted = FormatDecimal32(value, minDigits);
            if (decimalDigits > 10 || formatted.Length() != decimalDigits ||
                std::stoull(std::string(formatted.View().empty() ? "0" : formatted.View())) != value ||
                formatted.Text()[formatted.Length()] != 0 || formatted.Text()[formatted.Length() + 1] != 0)
                std::abort();
        } catch (const ConstDataCapacityExceeded&) {
            if (decimalDigits <= 10)
                std::abort();
        }
    }
    return 0;
}
