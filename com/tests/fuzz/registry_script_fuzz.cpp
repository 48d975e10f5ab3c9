// The registry script language from fuzzed text: replacements, tokens and blocks are read
// without a crash, and what is read keeps the language's rules.
#include "com/RegistryScript.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::int32_t PlainDecimal(const std::wstring& text, std::uint32_t& number)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of(L"0123456789") != std::wstring::npos)
        return static_cast<std::int32_t>(0x80020005);  // a type mismatch, as the variant conversion says
    const unsigned long long value = std::stoull(std::string(text.begin(), text.end()));
    if (value > UINT32_MAX)
        return static_cast<std::int32_t>(0x8002000A);  // an overflow
    number = static_cast<std::uint32_t>(value);
    return 0;
}

void Check(const std::vector<RegistryScript::Entry>& entries)
{
    for (const RegistryScript::Entry& entry : entries) {
        if (!entry.isValue && entry.name.find(L'\\') != std::wstring::npos)
            std::abort();
        if (entry.name.size() > 4096)
            std::abort();
        if (entry.isValue && (!entry.value || !entry.children.empty()))
            std::abort();
        if (entry.value) {
            const auto& v = entry.value->data;
            switch (entry.value->type) {
            case RegistryScript::ValueType::Dword:
                if (v.size() != 4)
                    std::abort();
                break;
            case RegistryScript::ValueType::String:
            case RegistryScript::ValueType::MultiString:
                // Whole units, ending in a zero unit.
                if (v.size() < sizeof(wchar_t) || v.size() % sizeof(wchar_t) ||
                    reinterpret_cast<const wchar_t*>(v.data())[v.size() / sizeof(wchar_t) - 1] != 0)
                    std::abort();
                break;
            case RegistryScript::ValueType::Binary:
                break;
            }
        }
        Check(entry.children);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring script(data, data + size);
    const std::map<std::wstring, std::wstring> replacements{{L"MODULE", L"C:\\it''s\\x.dll"},
                                                            {L"MODULE_RAW", L"C:\\it''s\\x.dll"}};
    try {
        const std::wstring expanded = RegistryScript::Expand(script, replacements);
        RegistryScript::Parser parser(expanded, PlainDecimal);
        while (const std::optional<RegistryScript::Block> block = parser.Next())
            Check(block->entries);
    } catch (const RegistryScript::Error& error) {
        if (error.code >= 0)
            std::abort();  // every failure is a failing HRESULT
    }
    return 0;
}
