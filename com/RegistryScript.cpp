#include "com/RegistryScript.h"

#include <cwctype>

namespace RegistryScript {

namespace {

bool IsBlank(wchar_t c) { return c == L'\t' || c == L'\n' || c == L'\r' || c == L' '; }

constexpr std::size_t maximumToken = 4096;

}  // namespace

std::wstring Upper(std::wstring_view text)
{
    std::wstring upper(text);
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return upper;
}

bool SameName(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i])))
            return false;
    return true;
}

std::wstring Expand(std::wstring_view script, const std::map<std::wstring, std::wstring>& replacements)
{
    std::wstring expanded;
    for (std::size_t at = 0; at < script.size(); ++at) {
        if (script[at] != L'%') {
            expanded += script[at];
            continue;
        }
        const std::size_t close = script.find(L'%', at + 1);
        if (close == std::wstring_view::npos)
            throw Error{Malformed};
        const std::wstring_view name = script.substr(at + 1, close - at - 1);
        if (name.empty()) {
            expanded += L'%';
        } else {
            if (name.size() >= 32)
                throw Error{Failed};
            const auto found = replacements.find(Upper(name));
            if (found == replacements.end())
                throw Error{Malformed};
            expanded += found->second;
        }
        at = close;
    }
    return expanded;
}

Parser::Parser(std::wstring_view expanded, DecimalReader readDecimal)
    : script_(expanded), readDecimal_(std::move(readDecimal))
{
}

std::optional<Parser::Token> Parser::NextToken()
{
    if (peeked_) {
        std::optional<Token> token = std::move(peeked_);
        peeked_.reset();
        return token;
    }
    while (at_ < script_.size() && IsBlank(script_[at_]))
        ++at_;
    if (at_ == script_.size())
        return std::nullopt;
    Token token;
    auto add = [&](wchar_t c) {
        if (token.text.size() == maximumToken)
            throw Error{Malformed};
        token.text += c;
    };
    if (script_[at_] == L'\'') {
        token.quoted = true;
        for (++at_;; ++at_) {
            if (at_ == script_.size())
                throw Error{Malformed};  // ends inside a quoted token
            if (script_[at_] == L'\'') {
                if (at_ + 1 < script_.size() && script_[at_ + 1] == L'\'') {
                    add(L'\'');
                    ++at_;
                    continue;
                }
                ++at_;
                break;
            }
            add(script_[at_]);
        }
    } else {
        while (at_ < script_.size() && !IsBlank(script_[at_]))
            add(script_[at_++]);
    }
    return token;
}

std::optional<Parser::Token>& Parser::Peek()
{
    if (!peeked_)
        peeked_ = NextToken();
    return peeked_;
}

Parser::Token Parser::Expect()
{
    std::optional<Token> token = NextToken();
    if (!token)
        throw Error{Malformed};
    return *token;
}

Value Parser::ParseValue()
{
    const Token type = Expect();
    const Token text = Expect();
    Value value;
    // Text with its terminating zero.
    auto bytesOf = [&](const std::wstring& s) {
        const auto* first = reinterpret_cast<const std::uint8_t*>(s.c_str());
        value.data.assign(first, first + (s.size() + 1) * sizeof(wchar_t));
    };
    if (type.Is(L"s")) {
        value.type = ValueType::String;
        bytesOf(text.text);
    } else if (type.Is(L"d")) {
        std::uint32_t number = 0;
        if (const std::int32_t failure = readDecimal_(text.text, number); failure != 0)
            throw Error{failure};
        value.type = ValueType::Dword;
        const auto* first = reinterpret_cast<const std::uint8_t*>(&number);
        value.data.assign(first, first + sizeof number);
    } else if (type.Is(L"b")) {
        if (text.text.size() % 2)
            throw Error{Failed};
        value.type = ValueType::Binary;
        auto digit = [](wchar_t c) -> int {
            if (c >= L'0' && c <= L'9') return c - L'0';
            if (c >= L'a' && c <= L'f') return c - L'a' + 10;
            if (c >= L'A' && c <= L'F') return c - L'A' + 10;
            throw Error{Failed};
        };
        for (std::size_t i = 0; i < text.text.size(); i += 2)
            value.data.push_back(static_cast<std::uint8_t>(digit(text.text[i]) * 16 + digit(text.text[i + 1])));
    } else if (type.Is(L"m")) {
        // Strings separated by the two characters \0; the list ends with an empty string.
        value.type = ValueType::MultiString;
        std::wstring joined;
        std::wstring_view rest = text.text;
        for (std::size_t split; (split = rest.find(L"\\0")) != std::wstring_view::npos; rest = rest.substr(split + 2)) {
            joined += rest.substr(0, split);
            joined += L'\0';
        }
        joined += rest;
        joined += L'\0';
        bytesOf(joined);
    } else {
        throw Error{Malformed};
    }
    return value;
}

Entry Parser::ParseEntry(Token first)
{
    Entry entry;
    if (first.Is(L"ForceRemove"))
        entry.modifier = Modifier::ForceRemove;
    else if (first.Is(L"NoRemove"))
        entry.modifier = Modifier::NoRemove;
    else if (first.Is(L"Delete"))
        entry.modifier = Modifier::Delete;
    if (entry.modifier != Modifier::None)
        first = Expect();
    if (first.Is(L"val")) {
        entry.isValue = true;
        entry.name = Expect().text;
        if (!Expect().Is(L"="))
            throw Error{Malformed};
        entry.value = ParseValue();
        return entry;
    }
    if (!first.quoted && (first.text == L"{" || first.text == L"}" || first.text == L"="))
        throw Error{Malformed};
    if (first.text.find(L'\\') != std::wstring::npos)
        throw Error{Malformed};
    entry.name = first.text;
    if (Peek() && Peek()->Is(L"=")) {
        NextToken();
        entry.value = ParseValue();
    }
    if (Peek() && Peek()->Is(L"{")) {
        NextToken();
        entry.children = ParseBlock();
    }
    return entry;
}

// After an opening brace, up to and including its closing brace.
std::vector<Entry> Parser::ParseBlock()
{
    std::vector<Entry> entries;
    for (;;) {
        Token token = Expect();
        if (token.Is(L"}"))
            return entries;
        entries.push_back(ParseEntry(std::move(token)));
    }
}

std::optional<Block> Parser::Next()
{
    const std::optional<Token> rootName = NextToken();
    if (!rootName)
        return std::nullopt;
    static const struct {
        const wchar_t* shortName;
        const wchar_t* longName;
        Root root;
    } roots[] = {
        {L"HKCR", L"HKEY_CLASSES_ROOT", Root::ClassesRoot},   {L"HKCU", L"HKEY_CURRENT_USER", Root::CurrentUser},
        {L"HKLM", L"HKEY_LOCAL_MACHINE", Root::LocalMachine}, {L"HKU", L"HKEY_USERS", Root::Users},
        {L"HKPD", L"HKEY_PERFORMANCE_DATA", Root::PerformanceData}, {L"HKDD", L"HKEY_DYN_DATA", Root::DynData},
        {L"HKCC", L"HKEY_CURRENT_CONFIG", Root::CurrentConfig},
    };
    for (const auto& root : roots) {
        if (!rootName->Is(root.shortName) && !rootName->Is(root.longName))
            continue;
        if (!Expect().Is(L"{"))
            throw Error{Malformed};
        return Block{root.root, ParseBlock()};
    }
    throw Error{Malformed};
}

}  // namespace RegistryScript
