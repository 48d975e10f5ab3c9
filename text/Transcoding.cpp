#include "text/Transcoding.h"

#include "text/CharacterSetResult.h"
#include "text/SystemConversion.h"

CopiedU8String TranscodeU16ToU8(U16String text)
{
    const int count = SystemConversion::UnitCount(text.Length());
    return SystemConversion::Run<UTF8>(
        text.Length(),
        [&](char* out, int capacity) {
            return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.first, count, out, capacity, nullptr,
                                       nullptr);
        },
        [] { throw WindowsCharacterSetResult(GetLastError(), "TranscodeU16ToU8"); });
}

CopiedU16String TranscodeU8ToU16(U8String text)
{
    const int count = SystemConversion::UnitCount(text.Length());
    return SystemConversion::Run<UTF16>(
        text.Length(),
        [&](wchar_t* out, int capacity) {
            return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.first, count, out, capacity);
        },
        [] { throw WindowsCharacterSetResult(GetLastError(), "TranscodeU8ToU16"); });
}

std::string Narrow(std::wstring_view utf16)
{
    return std::string(TranscodeU16ToU8(utf16).StringView());
}

std::wstring Wide(std::string_view utf8)
{
    return std::wstring(TranscodeU8ToU16(utf8).StringView());
}

std::size_t Utf8SequenceLength(std::string_view text) noexcept
{
    if (text.empty())
        return 0;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    // The second byte's range depends on the lead (no overlong forms, no surrogates,
    // nothing above U+10FFFF); further bytes are 80..BF.
    std::size_t more = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() <= more || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i <= more; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return more + 1;
}

bool IsWellFormedUtf8(std::string_view utf8) noexcept
{
    while (!utf8.empty()) {
        const std::size_t length = Utf8SequenceLength(utf8);
        if (length == 0)
            return false;
        utf8.remove_prefix(length);
    }
    return true;
}

std::optional<std::size_t> FirstUnpairedSurrogate(std::wstring_view utf16) noexcept
{
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const wchar_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF)
            ++i;
        else if (c >= 0xD800 && c <= 0xDFFF)
            return i;
    }
    return std::nullopt;
}

std::string NarrowReplacing(std::wstring_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        std::uint32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
