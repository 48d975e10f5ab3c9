#include "text/StringAlgorithms.h"

#include "text/UStringBuilder.h"

#include <algorithm>

const wchar_t* Find(U16String text, U16String pattern)
{
    const std::size_t n = text.Length();
    const std::size_t m = pattern.Length();
    if (n < m)
        return text.last;
    if (m == 0)
        return text.first;
    const wchar_t* const lastStart = text.first + (n - m);
    for (const wchar_t* p = text.first; p <= lastStart; ++p)
        if (std::equal(pattern.first, pattern.last, p))
            return p;
    return text.last;
}

CopiedU16String Concatenate(U16String a, U16String b)
{
    UStringBuilder<UTF16> builder(static_cast<std::uint32_t>(a.Length() + b.Length()));
    builder.Begin(nullptr);
    builder.Append(a.first, a.last);
    builder.Append(b.first, b.last);
    builder.End();
    return builder.Take();
}

CopiedU16String ReplaceAll(U16String text, U16String pattern, U16String replacement)
{
    UStringBuilder<UTF16> builder(256);
    builder.Begin(nullptr);
    const wchar_t* position = text.first;
    if (!text.Empty() && !pattern.Empty()) {
        while (position != text.last) {
            const wchar_t* found = Find({position, text.last}, pattern);
            if (found == text.last)
                break;
            builder.Append(position, found);
            builder.Append(replacement.first, replacement.last);
            position = found + pattern.Length();
        }
    }
    builder.Append(position, text.last);
    builder.End();
    return builder.Take();
}

U8String TrimAsciiWhitespace(U8String text)
{
    if (text.Empty())
        return text;
    auto isSpace = [](char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; };
    const char* first = text.first;
    const char* last = text.last;
    while (first != last && isSpace(*first))
        ++first;
    if (first == last)
        return {last, last};
    while (isSpace(last[-1]))
        --last;
    return {first, last};
}

CopiedU16String Terminated(CopiedU16String&& text)
{
    if (text.Length() < text.Capacity()) {
        CopiedU16String result(std::move(text));
        *(result.Begin() + result.Length()) = 0;
        return result;
    }
    const std::uint32_t length = text.Length();
    auto result = CopiedU16String::WithCapacity(std::max<std::uint32_t>(length + 1, 64));
    std::copy(text.Begin(), text.Begin() + length, result.Begin());
    result.Begin()[length] = 0;
    result.SetEnd(result.Begin() + length);
    return result;
}
