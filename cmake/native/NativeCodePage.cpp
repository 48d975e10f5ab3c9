// The native build's ANSI code page is UTF-8: messages pass through unchanged. Only the
// two conversions that the portable code uses (exception messages) are needed here.
#include "text/CodePageConversion.h"

CopiedU8String ConvertUTF8ToACP(U8String text) { return CopiedU8String(text); }
CopiedU8String ConvertACPToUTF8(U8String text) { return CopiedU8String(text); }
