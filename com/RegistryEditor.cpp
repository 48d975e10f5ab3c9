#include "com/RegistryEditor.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <optional>

namespace {

using RegistryScript::Entry;
using RegistryScript::Modifier;
using ScriptError = RegistryScript::Error;

constexpr std::int32_t OutOfMemory = static_cast<std::int32_t>(0x8007000E);  // E_OUTOFMEMORY

// The HRESULT of a registry status, as HRESULT_FROM_WIN32 makes it.
std::int32_t FromStatus(std::int32_t status)
{
    return status <= 0 ? status : static_cast<std::int32_t>((static_cast<std::uint32_t>(status) & 0xFFFF) | 0x80070000);
}

void Check(std::int32_t status)
{
    if (status != RegistryEditor::Success)
        throw ScriptError{FromStatus(status)};
}

// Keys that ForceRemove and Delete never take away with everything below them.
bool Protected(const std::wstring& name)
{
    static const wchar_t* const names[] = {L"AppID",  L"CLSID",    L"Component Categories", L"FileType",
                                           L"Interface", L"Hardware", L"Mime",                 L"SAM",
                                           L"SECURITY",  L"SYSTEM",   L"Software",             L"TypeLib"};
    return std::any_of(std::begin(names), std::end(names),
                       [&](const wchar_t* n) { return RegistryScript::SameName(name, n); });
}

// An open key, closed on leaving the scope.
class OpenedKey {
public:
    OpenedKey(RegistryEditor& editor, RegistryEditor::Key key) : editor_(editor), key_(key) {}
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;
    ~OpenedKey() { editor_.CloseKey(key_); }
    RegistryEditor::Key Get() const { return key_; }

private:
    RegistryEditor& editor_;
    RegistryEditor::Key key_;
};

}  // namespace

std::int32_t RegistryEditor::DeleteTree(Key parent, const std::wstring& name)
{
    // Depth first, with a stack of our own: a registry may nest deeper than a thread's
    // stack could follow. Every key on the path is closed however this ends.
    struct Level {
        Key parent;
        std::wstring name;
        Key key = 0;  // 0 until opened
    };
    struct Path {
        RegistryEditor& editor;
        std::vector<Level> levels;
        ~Path()
        {
            for (const Level& level : levels)
                if (level.key)
                    editor.CloseKey(level.key);
        }
    } path{*this, {}};
    path.levels.push_back({parent, name});
    while (!path.levels.empty()) {
        Level& level = path.levels.back();
        if (!level.key) {
            const std::int32_t status = OpenKey(level.parent, level.name, level.key);
            if (status == NotFound) {
                level.key = 0;
                path.levels.pop_back();  // gone already
                continue;
            }
            if (status != Success) {
                level.key = 0;
                return status;
            }
        }
        std::wstring child;
        const std::int32_t status = AnySubkey(level.key, child);
        if (status == Success) {
            const Key at = level.key;
            path.levels.push_back({at, std::move(child)});
            continue;
        }
        if (status != NoMoreItems)
            return status;
        const Level done = std::move(level);
        path.levels.pop_back();
        CloseKey(done.key);  // before the key is deleted
        if (const std::int32_t deleted = DeleteKey(done.parent, done.name); deleted != Success)
            return deleted;
    }
    return Success;
}

void RegistryEditor::Register(Key parent, const std::vector<Entry>& entries)
{
    for (const Entry& entry : entries) {
        if (entry.isValue) {
            Check(SetValue(parent, entry.name.c_str(), *entry.value));
            continue;
        }
        if (entry.modifier == Modifier::ForceRemove || entry.modifier == Modifier::Delete)
            if (!Protected(entry.name))
                Check(DeleteTree(parent, entry.name));
        if (entry.modifier == Modifier::Delete)
            continue;
        Key created = 0;
        Check(CreateKey(parent, entry.name, created));
        const OpenedKey key(*this, created);
        if (entry.value)
            Check(SetValue(key.Get(), nullptr, *entry.value));
        Register(key.Get(), entry.children);
    }
}

void RegistryEditor::Unregister(Key parent, const std::vector<Entry>& entries)
{
    for (const Entry& entry : entries) {
        if (entry.isValue) {
            if (entry.modifier != Modifier::NoRemove) {
                const std::int32_t status = DeleteValue(parent, entry.name);
                if (status != NotFound)
                    Check(status);
            }
            continue;
        }
        Key opened = 0;
        const std::int32_t status = OpenKey(parent, entry.name, opened);
        if (status == NotFound)
            continue;
        Check(status);
        std::uint32_t subkeys = 0;
        {
            const OpenedKey key(*this, opened);
            Unregister(key.Get(), entry.children);
            Check(CountSubkeys(key.Get(), subkeys));
        }
        if (entry.modifier != Modifier::NoRemove && subkeys == 0)
            Check(DeleteKey(parent, entry.name));
    }
}

std::int32_t RegistryEditor::Run(std::wstring_view script, const std::map<std::wstring, std::wstring>& replacements,
                                 const RegistryScript::DecimalReader& readDecimal, bool registering)
{
    try {
        const std::wstring expanded = RegistryScript::Expand(script, replacements);
        RegistryScript::Parser parser(expanded, readDecimal);
        while (std::optional<RegistryScript::Block> block = parser.Next()) {
            const Key root = RootKey(block->root);
            if (!registering) {
                Unregister(root, block->entries);
                continue;
            }
            try {
                Register(root, block->entries);
            } catch (const ScriptError&) {
                // Take back what this block wrote; the first error is the one reported.
                try {
                    Unregister(root, block->entries);
                } catch (const ScriptError&) {
                }
                throw;
            }
        }
    } catch (const ScriptError& error) {
        return error.code;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
    return Success;
}
