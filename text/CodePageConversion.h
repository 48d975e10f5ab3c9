#pragma once
// Lenient conversions: ill-formed input becomes U+FFFD, characters the ANSI code page
// lacks become its default character. They fail only when the system call itself does.
#include "text/CopiedUString.h"

CopiedU16String ConvertUTF8ToUTF16(U8String text);
CopiedU8String ConvertUTF16ToUTF8(U16String text);
// ANSI text is carried in byte strings, like UTF-8.
CopiedU16String ConvertACPToUTF16(U8String text);
CopiedU8String ConvertUTF16ToACP(U16String text);
CopiedU8String ConvertUTF8ToACP(U8String text);
CopiedU8String ConvertACPToUTF8(U8String text);
