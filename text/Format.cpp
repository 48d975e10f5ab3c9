#include "text/Format.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace {

struct Escape {
    U8String name;
    U8String text;
};

// Sorted by name: looked up by binary search. Constant data, so it needs no one-time set-up.
constexpr Escape escapes[] = {
    {"_cbrace", "}"}, {"_cr", "\r"}, {"_crlf", "\r\n"}, {"_lf", "\n"}, {"_obrace", "{"}, {"_tab", "\t"},
};

const Escape* FindEscape(U8String name)
{
    const auto* found = std::lower_bound(std::begin(escapes), std::end(escapes), name,
                                         [](const Escape& e, U8String n) { return CompareBytes(e.name, n) < 0; });
    return found != std::end(escapes) && found->name == name ? found : nullptr;
}

struct Token {
    enum Kind { Literal, Variable } kind;
    U8String text;  // the literal, or the variable's name
};

// Produces tokens on demand, so text before an unterminated "{" has been handled by the
// time BadFormatStringError is thrown.
class Tokenizer {
public:
    explicit Tokenizer(U8String text) : position_(text.first), end_(text.Empty() ? text.first : text.last) {}

    bool Next(Token& token)
    {
        if (position_ == end_)
            return false;
        const char* brace = static_cast<const char*>(std::memchr(position_, '{', end_ - position_));
        if (brace != position_) {
            const char* stop = brace ? brace : end_;
            token = {Token::Literal, {position_, stop}};
            position_ = stop;
            return true;
        }
        const char* close = static_cast<const char*>(std::memchr(brace + 1, '}', end_ - (brace + 1)));
        if (!close)
            throw BadFormatStringError();
        token = {Token::Variable, {brace + 1, close}};
        position_ = close + 1;
        return true;
    }

private:
    const char* position_;
    const char* end_;
};

bool IsNameByte(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// Validates a variable's name; returns its escape entry, or null for a value variable.
const Escape* CheckName(U8String name)
{
    if (name.Empty())
        throw ImproperFormatVariableName();
    if (*name.first == '_') {
        const Escape* escape = FindEscape(name);
        if (!escape)
            throw UndefinedFormatVariable();
        return escape;
    }
    for (const char* p = name.first + 1; p != name.last; ++p)
        if (!IsNameByte(static_cast<unsigned char>(*p)))
            throw ImproperFormatVariableName();
    return nullptr;
}

bool BindingLess(const FormatBinding& a, const FormatBinding& b)
{
    const int byName = CompareBytes(a.name, b.name);
    return byName != 0 ? byName < 0 : CompareBytes(a.value, b.value) < 0;
}

U8String LookUp(const FormatBinding* bindings, std::size_t count, U8String name)
{
    const FormatBinding key{name, {}};
    const FormatBinding* found = std::lower_bound(bindings, bindings + count, key, BindingLess);
    if (found == bindings + count || !(found->name == name))
        throw UndefinedFormatVariable();
    return found->value;
}

// Walks the bound template once; with out null it only measures.
std::size_t Render(U8String templateText, const FormatBinding* bindings, std::size_t count, char* out)
{
    std::size_t length = 0;
    auto emit = [&](U8String piece) {
        if (out && !piece.Empty())
            std::memcpy(out + length, piece.first, piece.Length());
        length += piece.Length();
    };
    Tokenizer tokens(templateText);
    for (Token token; tokens.Next(token);) {
        if (token.kind == Token::Literal)
            emit(token.text);
        else if (const Escape* escape = *token.text.first == '_' ? FindEscape(token.text) : nullptr)
            emit(escape->text);
        else
            emit(LookUp(bindings, count, token.text));
    }
    return length;
}

}  // namespace

CopiedU8String FormatWithValues(U8String templateText, const U8String* values, FormatBinding* bindings,
                                std::size_t count)
{
    std::size_t bound = 0;
    Tokenizer tokens(templateText);
    for (Token token; tokens.Next(token);) {
        if (token.kind != Token::Variable || CheckName(token.text))
            continue;
        if (bound == count)
            throw TooManyFormatArguments();
        bindings[bound] = {token.text, values[bound]};
        ++bound;
    }
    if (bound != count)
        throw TooFewFormatArguments();
    std::sort(bindings, bindings + count, BindingLess);

    // Measure, then write into storage of exactly the length: inline up to 64 bytes.
    const std::size_t length = Render(templateText, bindings, count, nullptr);
    if (length > UINT32_MAX)
        throw std::length_error("Format: message too long");
    CopiedU8String result = CopiedU8String::WithCapacity(static_cast<std::uint32_t>(length));
    Render(templateText, bindings, count, result.Begin());
    result.SetEnd(result.Begin() + length);
    return result;
}
