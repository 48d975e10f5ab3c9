// The registry script language from fuzzed text: replacements, tokens and blocks are read
// without a crash, and what is read keeps the language's rules. Then the script is run
// against a registry in memory: registering twice leaves what registering once leaves;
// unregistering again only takes more away (a key kept the first time because a later
// entry still had subkeys below it may go the second time); a failure at any one
// registry operation is reported as a failing HRESULT; no key is ever left open.
#include "com/RegistryScript.h"
#include "com/tests/MemoryRegistry.h"

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

using Replacements = std::map<std::wstring, std::wstring>;

// Every key and value of `part` is in `whole`, values equal.
bool Within(const MemoryRegistry::Node& part, const MemoryRegistry::Node& whole)
{
    for (const auto& [name, value] : part.values) {
        const auto found = whole.values.find(name);
        if (found == whole.values.end() || !(found->second == value))
            return false;
    }
    for (const auto& [name, key] : part.keys) {
        const auto found = whole.keys.find(name);
        if (found == whole.keys.end() || !Within(key, found->second))
            return false;
    }
    return true;
}

void Apply(const std::wstring& script, const Replacements& replacements, std::size_t failAt)
{
    const auto run = [&](MemoryRegistry& registry, bool registering) {
        const std::int32_t result = registry.Run(script, replacements, PlainDecimal, registering);
        if (result > 0 || registry.OpenHandles() != 0)
            std::abort();
        return result;
    };
    MemoryRegistry registry;
    if (run(registry, true) == 0) {
        const auto once = registry.Roots();
        if (run(registry, true) != 0 || registry.Roots() != once)
            std::abort();
        if (run(registry, false) == 0) {
            const auto removed = registry.Roots();
            if (run(registry, false) != 0)
                std::abort();
            for (const auto& [root, node] : registry.Roots())
                if (!Within(node, removed.count(root) ? removed.at(root) : MemoryRegistry::Node()))
                    std::abort();
        }
    }
    MemoryRegistry failing;
    failing.FailOperation(failAt);
    run(failing, true);
    failing.FailOperation(failAt);
    run(failing, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring script(data, data + size);
    const Replacements replacements{{L"MODULE", L"C:\\it''s\\x.dll"}, {L"MODULE_RAW", L"C:\\it''s\\x.dll"}};
    try {
        const std::wstring expanded = RegistryScript::Expand(script, replacements);
        RegistryScript::Parser parser(expanded, PlainDecimal);
        while (const std::optional<RegistryScript::Block> block = parser.Next())
            Check(block->entries);
    } catch (const RegistryScript::Error& error) {
        if (error.code >= 0)
            std::abort();  // every failure is a failing HRESULT
    }
    Apply(script, replacements, size % 23);
    return 0;
}
