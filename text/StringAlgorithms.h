#pragma once
// Search, concatenation, replacement and trimming on ranges.
#include "text/CopiedUString.h"

// First occurrence of pattern in text (exact code units), or text.last when there is none.
// An empty pattern matches at the start.
const wchar_t* Find(U16String text, U16String pattern);
CopiedU16String Concatenate(U16String a, U16String b);
// Every occurrence, left to right, not overlapping; replaced text is not searched again.
CopiedU16String ReplaceAll(U16String text, U16String pattern, U16String replacement);
// Without leading and trailing TAB, LF, CR and SPACE; nothing else (no byte above 0x7F) counts.
U8String TrimAsciiWhitespace(U8String text);
// The text with a zero unit stored right after it (outside the length), so that Begin()
// can go to a system call. Reuses the source's storage when there is room for the zero.
CopiedU16String Terminated(CopiedU16String&& text);
