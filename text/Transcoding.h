#pragma once
// Strict conversion between UTF-8 and UTF-16, used at every boundary between the two.
// Ill-formed input (unpaired surrogates, overlong or truncated UTF-8, ...) is an error:
// WindowsCharacterSetResult with the system's code, 1113.
#include "text/CopiedUString.h"

#include <optional>
#include <string>
#include <string_view>

CopiedU8String TranscodeU16ToU8(U16String text);
CopiedU16String TranscodeU8ToU16(U8String text);

// The same for standard strings, where code keeps its text in them (the stand-in agent,
// the tests).
std::string Narrow(std::wstring_view utf16);
std::wstring Wide(std::string_view utf8);

// The length of the well-formed UTF-8 sequence at the start of `text` (1 to 4), or 0 when
// there is none there.
std::size_t Utf8SequenceLength(std::string_view text) noexcept;
// Whether the bytes are well-formed UTF-8 (what TranscodeU8ToU16 takes), without converting.
bool IsWellFormedUtf8(std::string_view utf8) noexcept;
// The position of the first unpaired surrogate, when there is one (what TranscodeU16ToU8
// refuses).
std::optional<std::size_t> FirstUnpairedSurrogate(std::wstring_view utf16) noexcept;
// UTF-16 as UTF-8 for showing: an unpaired surrogate becomes U+FFFD instead of failing.
std::string NarrowReplacing(std::wstring_view utf16);
