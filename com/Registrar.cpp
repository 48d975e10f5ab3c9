#include "com/Registrar.h"

#include "text/UniqueResource.h"

#include <oleauto.h>

#include <algorithm>
#include <cwctype>
#include <memory>
#include <optional>
#include <vector>

namespace {

// A failure inside the registrar, carrying its HRESULT.
struct ScriptError {
    HRESULT code;
};

std::wstring Upper(std::wstring_view text)
{
    std::wstring upper(text);
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    return upper;
}

bool Same(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && Upper(a) == Upper(b);
}

bool IsBlank(wchar_t c) { return c == L'\t' || c == L'\n' || c == L'\r' || c == L' '; }

struct Token {
    std::wstring text;
    bool quoted = false;
    bool Is(std::wstring_view word) const { return !quoted && Same(text, word); }
};

class Tokens {
public:
    explicit Tokens(std::wstring_view script) : script_(script) {}

    std::optional<Token> Next()
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
        if (script_[at_] == L'\'') {
            token.quoted = true;
            for (++at_;; ++at_) {
                if (at_ == script_.size())
                    throw ScriptError{DISP_E_EXCEPTION};  // ends inside a quoted token
                if (script_[at_] == L'\'') {
                    if (at_ + 1 < script_.size() && script_[at_ + 1] == L'\'') {
                        token.text += L'\'';
                        ++at_;
                        continue;
                    }
                    ++at_;
                    break;
                }
                token.text += script_[at_];
                Limit(token);
            }
        } else {
            while (at_ < script_.size() && !IsBlank(script_[at_])) {
                token.text += script_[at_++];
                Limit(token);
            }
        }
        return token;
    }

    std::optional<Token>& Peek()
    {
        if (!peeked_)
            peeked_ = Next();
        return peeked_;
    }

    Token Expect()
    {
        std::optional<Token> token = Next();
        if (!token)
            throw ScriptError{DISP_E_EXCEPTION};
        return *token;
    }

private:
    static void Limit(const Token& token)
    {
        if (token.text.size() > 4096)
            throw ScriptError{DISP_E_EXCEPTION};
    }

    std::wstring_view script_;
    std::size_t at_ = 0;
    std::optional<Token> peeked_;
};

struct Value {
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
};

enum class Modifier { None, ForceRemove, NoRemove, Delete };

struct Entry {
    Modifier modifier = Modifier::None;
    bool isValue = false;  // "val name = type value"
    std::wstring name;
    std::optional<Value> value;  // the key's default value, or the named value
    std::vector<Entry> children;
};

Value ParseValue(Tokens& tokens)
{
    const Token type = tokens.Expect();
    const Token text = tokens.Expect();
    Value value;
    // The text with its terminating zero.
    auto bytesOf = [&](const std::wstring& s) {
        const auto* first = reinterpret_cast<const BYTE*>(s.c_str());
        value.data.assign(first, first + (s.size() + 1) * sizeof(wchar_t));
    };
    if (type.Is(L"s")) {
        value.type = REG_SZ;
        bytesOf(text.text);
    } else if (type.Is(L"d")) {
        ULONG number = 0;
        const HRESULT hr = VarUI4FromStr(const_cast<OLECHAR*>(text.text.c_str()), LOCALE_USER_DEFAULT, 0, &number);
        if (FAILED(hr))
            throw ScriptError{hr};
        value.type = REG_DWORD;
        const auto* first = reinterpret_cast<const BYTE*>(&number);
        value.data.assign(first, first + sizeof number);
    } else if (type.Is(L"b")) {
        if (text.text.size() % 2)
            throw ScriptError{E_FAIL};
        value.type = REG_BINARY;
        for (std::size_t i = 0; i < text.text.size(); i += 2) {
            auto digit = [](wchar_t c) -> int {
                if (c >= L'0' && c <= L'9') return c - L'0';
                if (c >= L'a' && c <= L'f') return c - L'a' + 10;
                if (c >= L'A' && c <= L'F') return c - L'A' + 10;
                throw ScriptError{E_FAIL};
            };
            value.data.push_back(static_cast<BYTE>(digit(text.text[i]) * 16 + digit(text.text[i + 1])));
        }
    } else if (type.Is(L"m")) {
        value.type = REG_MULTI_SZ;
        std::wstring joined;
        std::wstring_view rest = text.text;
        for (std::size_t split; (split = rest.find(L"\\0")) != std::wstring_view::npos; rest = rest.substr(split + 2)) {
            joined += rest.substr(0, split);
            joined += L'\0';
        }
        joined += rest;
        joined += L'\0';  // the list ends with an empty string
        bytesOf(joined);
    } else {
        throw ScriptError{DISP_E_EXCEPTION};
    }
    return value;
}

std::vector<Entry> ParseBlock(Tokens& tokens);

Entry ParseEntry(Tokens& tokens, Token first)
{
    Entry entry;
    if (first.Is(L"ForceRemove"))
        entry.modifier = Modifier::ForceRemove;
    else if (first.Is(L"NoRemove"))
        entry.modifier = Modifier::NoRemove;
    else if (first.Is(L"Delete"))
        entry.modifier = Modifier::Delete;
    if (entry.modifier != Modifier::None)
        first = tokens.Expect();
    if (first.Is(L"val")) {
        entry.isValue = true;
        entry.name = tokens.Expect().text;
        if (!tokens.Expect().Is(L"="))
            throw ScriptError{DISP_E_EXCEPTION};
        entry.value = ParseValue(tokens);
        return entry;
    }
    if (!first.quoted && (first.text == L"{" || first.text == L"}" || first.text == L"="))
        throw ScriptError{DISP_E_EXCEPTION};
    if (first.text.find(L'\\') != std::wstring::npos)
        throw ScriptError{DISP_E_EXCEPTION};
    entry.name = first.text;
    if (tokens.Peek() && tokens.Peek()->Is(L"=")) {
        tokens.Next();
        entry.value = ParseValue(tokens);
    }
    if (tokens.Peek() && tokens.Peek()->Is(L"{")) {
        tokens.Next();
        entry.children = ParseBlock(tokens);
    }
    return entry;
}

// After an opening brace, up to and including its closing brace.
std::vector<Entry> ParseBlock(Tokens& tokens)
{
    std::vector<Entry> entries;
    for (;;) {
        Token token = tokens.Expect();
        if (token.Is(L"}"))
            return entries;
        entries.push_back(ParseEntry(tokens, std::move(token)));
    }
}

HKEY RootFromName(const Token& token)
{
    static const struct {
        const wchar_t* shortName;
        const wchar_t* longName;
        HKEY key;
    } roots[] = {
        {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},   {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {L"HKU", L"HKEY_USERS", HKEY_USERS},
        {L"HKPD", L"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA}, {L"HKDD", L"HKEY_DYN_DATA", HKEY_DYN_DATA},
        {L"HKCC", L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    };
    for (const auto& root : roots)
        if (token.Is(root.shortName) || token.Is(root.longName))
            return root.key;
    throw ScriptError{DISP_E_EXCEPTION};
}

bool Protected(const std::wstring& name)
{
    static const wchar_t* const names[] = {L"AppID",  L"CLSID",    L"Component Categories", L"FileType",
                                           L"Interface", L"Hardware", L"Mime",                 L"SAM",
                                           L"SECURITY",  L"SYSTEM",   L"Software",             L"TypeLib"};
    return std::any_of(std::begin(names), std::end(names), [&](const wchar_t* n) { return Same(name, n); });
}

void Check(LSTATUS status)
{
    if (status != ERROR_SUCCESS)
        throw ScriptError{HRESULT_FROM_WIN32(static_cast<DWORD>(status))};
}

LSTATUS DeleteKey(HKEY parent, const wchar_t* name)
{
    // Looked up once by name: older systems have only RegDeleteKeyW.
    using DeleteKeyEx = LSTATUS(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    static const DeleteKeyEx deleteKeyEx = [] {
        HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
        return advapi ? reinterpret_cast<DeleteKeyEx>(reinterpret_cast<void*>(GetProcAddress(advapi, "RegDeleteKeyExW")))
                      : nullptr;
    }();
    return deleteKeyEx ? deleteKeyEx(parent, name, 0, 0) : RegDeleteKeyW(parent, name);
}

// A key and everything below it.
LSTATUS DeleteTree(HKEY parent, const std::wstring& name)
{
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, &key);
    if (status == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS)
        return status;
    {
        const UniqueRegistryKey owner(key);
        wchar_t child[256];
        for (;;) {
            DWORD length = 256;
            status = RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (status != ERROR_SUCCESS)
                return status;
            if ((status = DeleteTree(key, child)) != ERROR_SUCCESS)
                return status;
        }
    }
    return DeleteKey(parent, name.c_str());
}

void Register(HKEY parent, const std::vector<Entry>& entries)
{
    for (const Entry& entry : entries) {
        if (entry.isValue) {
            Check(RegSetValueExW(parent, entry.name.c_str(), 0, entry.value->type, entry.value->data.data(),
                                 static_cast<DWORD>(entry.value->data.size())));
            continue;
        }
        if (entry.modifier == Modifier::ForceRemove || entry.modifier == Modifier::Delete)
            if (!Protected(entry.name))
                Check(DeleteTree(parent, entry.name));
        if (entry.modifier == Modifier::Delete)
            continue;
        HKEY key = nullptr;
        Check(RegCreateKeyExW(parent, entry.name.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr));
        const UniqueRegistryKey owner(key);
        if (entry.value)
            Check(RegSetValueExW(key, nullptr, 0, entry.value->type, entry.value->data.data(),
                                 static_cast<DWORD>(entry.value->data.size())));
        Register(key, entry.children);
    }
}

void Unregister(HKEY parent, const std::vector<Entry>& entries)
{
    for (const Entry& entry : entries) {
        if (entry.isValue) {
            if (entry.modifier != Modifier::NoRemove) {
                const LSTATUS status = RegDeleteValueW(parent, entry.name.c_str());
                if (status != ERROR_FILE_NOT_FOUND)
                    Check(status);
            }
            continue;
        }
        HKEY key = nullptr;
        const LSTATUS opened = RegOpenKeyExW(parent, entry.name.c_str(), 0, KEY_READ | KEY_WRITE, &key);
        if (opened == ERROR_FILE_NOT_FOUND)
            continue;
        Check(opened);
        DWORD subkeys = 0;
        {
            const UniqueRegistryKey owner(key);
            Unregister(key, entry.children);
            Check(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr));
        }
        if (entry.modifier != Modifier::NoRemove && subkeys == 0)
            Check(DeleteKey(parent, entry.name.c_str()));
    }
}

}  // namespace

Registrar::Registrar(RootResolver roots) : roots_(std::move(roots))
{
    if (!roots_)
        roots_ = [](HKEY root) { return root; };
}

void Registrar::AddReplacement(std::wstring name, std::wstring value)
{
    replacements_[Upper(name)] = std::move(value);
}

HRESULT Registrar::Run(std::wstring_view script, bool registering)
{
    // Replacements first, over the whole text.
    std::wstring expanded;
    try {
        for (std::size_t at = 0; at < script.size(); ++at) {
            if (script[at] != L'%') {
                expanded += script[at];
                continue;
            }
            const std::size_t close = script.find(L'%', at + 1);
            if (close == std::wstring_view::npos)
                return DISP_E_EXCEPTION;
            const std::wstring_view name = script.substr(at + 1, close - at - 1);
            if (name.empty()) {
                expanded += L'%';
            } else {
                if (name.size() >= 32)
                    return E_FAIL;
                const auto found = replacements_.find(Upper(name));
                if (found == replacements_.end())
                    return DISP_E_EXCEPTION;
                expanded += found->second;
            }
            at = close;
        }

        Tokens tokens(expanded);
        while (std::optional<Token> rootName = tokens.Next()) {
            const HKEY root = roots_(RootFromName(*rootName));
            if (!tokens.Expect().Is(L"{"))
                return DISP_E_EXCEPTION;
            const std::vector<Entry> block = ParseBlock(tokens);
            if (!registering) {
                Unregister(root, block);
                continue;
            }
            try {
                Register(root, block);
            } catch (const ScriptError&) {
                // Take back what this block wrote; the first error is the one reported.
                try {
                    Unregister(root, block);
                } catch (const ScriptError&) {
                }
                throw;
            }
        }
    } catch (const ScriptError& error) {
        return error.code;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
