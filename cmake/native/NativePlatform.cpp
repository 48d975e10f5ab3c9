// What the portable code asks of the platform, for the native build: the ANSI code page
// is UTF-8 (messages pass through unchanged), and there are no system message texts.
#include "errors/WindowsError.h"
#include "text/CodePageConversion.h"
#include "text/Format.h"
#include "text/Numerals.h"

CopiedU8String ConvertUTF8ToACP(U8String text) { return CopiedU8String(text); }
CopiedU8String ConvertACPToUTF8(U8String text) { return CopiedU8String(text); }

CopiedU8String WindowsErrorText(std::uint32_t code)
{
    return Format("Windows Error 0x{e}%: {s}", FormatHex32(code, 1), "(no system text in this build)");
}
