#include "text/CodePageConversion.h"

#include "errors/WindowsError.h"
#include "text/SystemConversion.h"

namespace {

// A failure that set no error code carries on with what the call gave: nothing.
void FailLenient()
{
    ThrowLastWindowsError();
}

CopiedU16String ToUTF16(UINT codePage, U8String text)
{
    const int count = SystemConversion::UnitCount(text.Length());
    return SystemConversion::Run<UTF16>(
        text.Length(),
        [&](wchar_t* out, int capacity) { return MultiByteToWideChar(codePage, 0, text.first, count, out, capacity); },
        FailLenient);
}

CopiedU8String FromUTF16(UINT codePage, U16String text)
{
    const int count = SystemConversion::UnitCount(text.Length());
    return SystemConversion::Run<UTF8>(
        text.Length(),
        [&](char* out, int capacity) {
            return WideCharToMultiByte(codePage, 0, text.first, count, out, capacity, nullptr, nullptr);
        },
        FailLenient);
}

}  // namespace

CopiedU16String ConvertUTF8ToUTF16(U8String text) { return ToUTF16(CP_UTF8, text); }
CopiedU8String ConvertUTF16ToUTF8(U16String text) { return FromUTF16(CP_UTF8, text); }
CopiedU16String ConvertACPToUTF16(U8String text) { return ToUTF16(CP_ACP, text); }
CopiedU8String ConvertUTF16ToACP(U16String text) { return FromUTF16(CP_ACP, text); }

CopiedU8String ConvertUTF8ToACP(U8String text)
{
    const CopiedU16String wide = ConvertUTF8ToUTF16(text);
    return ConvertUTF16ToACP(wide);
}

CopiedU8String ConvertACPToUTF8(U8String text)
{
    const CopiedU16String wide = ConvertACPToUTF16(text);
    return ConvertUTF16ToUTF8(wide);
}
