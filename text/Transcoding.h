#pragma once
// Strict conversion between UTF-8 and UTF-16, used at every boundary between the two.
// Ill-formed input (unpaired surrogates, overlong or truncated UTF-8, ...) is an error:
// WindowsCharacterSetResult with the system's code, 1113.
#include "text/CopiedUString.h"

CopiedU8String TranscodeU16ToU8(U16String text);
CopiedU16String TranscodeU8ToU16(U8String text);
