#pragma once
// A registry in memory for the registrar: keys and values compare without regard to case,
// a key with subkeys cannot be deleted, a handle to a key that has gone reports so, and
// any one operation can be made to fail. It counts the handles left open.
#include "com/RegistryEditor.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

class MemoryRegistry : public RegistryEditor {
public:
    struct Node {
        std::map<std::wstring, Node> keys;                       // by upper-case name
        std::map<std::wstring, RegistryScript::Value> values;    // by upper-case name; "" the default
        bool operator==(const Node&) const = default;
    };
    // Injected failures, and deleting a key that has subkeys.
    static constexpr std::int32_t AccessDenied = 5;  // ERROR_ACCESS_DENIED
    static constexpr std::int32_t KeyDeleted = 1018;  // ERROR_KEY_DELETED

    // The n-th operation from now fails with AccessDenied (0: none does).
    void FailOperation(std::size_t n)
    {
        failAt_ = n;
        operations_ = 0;
    }
    std::size_t OpenHandles() const { return open_.size(); }
    const std::map<RegistryScript::Root, Node>& Roots() const { return roots_; }

    Key RootKey(RegistryScript::Root root) override;
    std::int32_t CreateKey(Key parent, const std::wstring& name, Key& key) override;
    std::int32_t OpenKey(Key parent, const std::wstring& name, Key& key) override;
    void CloseKey(Key key) noexcept override;
    std::int32_t SetValue(Key key, const wchar_t* name, const RegistryScript::Value& value) override;
    std::int32_t DeleteValue(Key key, const std::wstring& name) override;
    std::int32_t AnySubkey(Key key, std::wstring& name) override;
    std::int32_t CountSubkeys(Key key, std::uint32_t& count) override;
    std::int32_t DeleteKey(Key parent, const std::wstring& name) override;

private:
    struct Path {
        RegistryScript::Root root;
        std::vector<std::wstring> names;  // upper case
    };
    bool Fails();
    std::optional<Path> PathOf(Key key) const;
    // The key a handle stands for; null when it has gone (or the handle is unknown).
    Node* Find(Key key);
    // Every operation starts here: KeyDeleted for a handle whose key has gone, AccessDenied
    // for the operation made to fail, Success with the key otherwise.
    std::int32_t Reach(Key key, Node*& node);
    Key Open(Path path);

    std::map<RegistryScript::Root, Node> roots_;
    std::map<Key, Path> open_;  // handles of opened keys; roots are not among them
    Key next_ = 1000;
    std::size_t failAt_ = 0;
    std::size_t operations_ = 0;
};
