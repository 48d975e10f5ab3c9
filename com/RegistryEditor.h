#pragma once
// Applying registry scripts to a registry: what registering and unregistering do with the
// entries of each block, written against the few operations they need, so that the same
// code runs on the real registry (Registrar) and on an in-memory one (fuzzing, tests).
#include "com/RegistryScript.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class RegistryEditor {
public:
    // An open key or a root, as the editor hands them out.
    using Key = std::uintptr_t;
    // Status codes are the registry's: 0, or the failure.
    static constexpr std::int32_t Success = 0;
    static constexpr std::int32_t NotFound = 2;       // ERROR_FILE_NOT_FOUND
    static constexpr std::int32_t NoMoreItems = 259;  // ERROR_NO_MORE_ITEMS

    virtual ~RegistryEditor() = default;

    virtual Key RootKey(RegistryScript::Root root) = 0;
    // Opens the key, creating it (and only it: `name` has no backslash) when missing.
    virtual std::int32_t CreateKey(Key parent, const std::wstring& name, Key& key) = 0;
    // NotFound when there is no such key.
    virtual std::int32_t OpenKey(Key parent, const std::wstring& name, Key& key) = 0;
    virtual void CloseKey(Key key) noexcept = 0;
    // `name` null: the key's default value.
    virtual std::int32_t SetValue(Key key, const wchar_t* name, const RegistryScript::Value& value) = 0;
    // NotFound when there is no such value.
    virtual std::int32_t DeleteValue(Key key, const std::wstring& name) = 0;
    // The name of some subkey; NoMoreItems when there is none.
    virtual std::int32_t AnySubkey(Key key, std::wstring& name) = 0;
    virtual std::int32_t CountSubkeys(Key key, std::uint32_t& count) = 0;
    // Deletes a key without subkeys.
    virtual std::int32_t DeleteKey(Key parent, const std::wstring& name) = 0;

    // Runs a whole script: replacements (keys in upper case) are made, then each root
    // block is applied as soon as it is read. A block that fails while registering is
    // unregistered again, and the first failure is returned: 0, the failure's HRESULT, or
    // E_OUTOFMEMORY.
    std::int32_t Run(std::wstring_view script, const std::map<std::wstring, std::wstring>& replacements,
                     const RegistryScript::DecimalReader& readDecimal, bool registering);

    // The entries of one block below `parent`. Throw RegistryScript::Error.
    void Register(Key parent, const std::vector<RegistryScript::Entry>& entries);
    void Unregister(Key parent, const std::vector<RegistryScript::Entry>& entries);

private:
    // A key and everything below it; nothing when there is no such key.
    std::int32_t DeleteTree(Key parent, const std::wstring& name);
};
