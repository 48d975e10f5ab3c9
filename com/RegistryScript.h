#pragma once
// The registry script language, read into blocks of entries: the part of the registrar
// that needs no registry (and builds natively for fuzzing).
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace RegistryScript {

// A failure, carrying the HRESULT it is reported as.
struct Error {
    std::int32_t code;
};
inline constexpr std::int32_t Malformed = static_cast<std::int32_t>(0x80020009);  // DISP_E_EXCEPTION
inline constexpr std::int32_t Failed = static_cast<std::int32_t>(0x80004005);     // E_FAIL

enum class Root { ClassesRoot, CurrentUser, LocalMachine, Users, PerformanceData, DynData, CurrentConfig };

// The registry's own type numbers.
enum class ValueType : std::uint32_t { String = 1, Binary = 3, Dword = 4, MultiString = 7 };

struct Value {
    ValueType type = ValueType::String;
    std::vector<std::uint8_t> data;  // as stored: strings with their terminating zero
    bool operator==(const Value&) const = default;
};

enum class Modifier { None, ForceRemove, NoRemove, Delete };

struct Entry {
    Modifier modifier = Modifier::None;
    bool isValue = false;  // "val name = type value"
    std::wstring name;
    std::optional<Value> value;  // the key's default value, or the named value
    std::vector<Entry> children;
};

struct Block {
    Root root;
    std::vector<Entry> entries;
};

std::wstring Upper(std::wstring_view text);
bool SameName(std::wstring_view a, std::wstring_view b);

// %NAME% replaced (keys of `replacements` in upper case), %% as one percent sign. Throws
// Error: Failed for a name of 32 characters or more, Malformed for an unknown name or a
// lone percent sign.
std::wstring Expand(std::wstring_view script, const std::map<std::wstring, std::wstring>& replacements);

// Reads a "d" value: 0 and the number, or the failure's code.
using DecimalReader = std::function<std::int32_t(const std::wstring& text, std::uint32_t& number)>;

// Reads an expanded script one root block at a time, so that each block can be applied
// before the next is read. Throws Error for a malformed block.
class Parser {
public:
    Parser(std::wstring_view expanded, DecimalReader readDecimal);
    std::optional<Block> Next();

private:
    struct Token {
        std::wstring text;
        bool quoted = false;
        bool Is(std::wstring_view word) const { return !quoted && SameName(text, word); }
    };
    std::optional<Token> NextToken();
    std::optional<Token>& Peek();
    Token Expect();
    Value ParseValue();
    Entry ParseEntry(Token first);
    std::vector<Entry> ParseBlock();

    std::wstring_view script_;
    std::size_t at_ = 0;
    std::optional<Token> peeked_;
    DecimalReader readDecimal_;
};

}  // namespace RegistryScript
