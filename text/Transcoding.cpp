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
