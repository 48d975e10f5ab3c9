#include "com/tests/MemoryRegistry.h"

namespace {

constexpr std::uintptr_t rootBase = 1;  // roots are 1 + their number; opened keys come later

}  // namespace

bool MemoryRegistry::Fails()
{
    return failAt_ != 0 && ++operations_ == failAt_;
}

RegistryEditor::Key MemoryRegistry::RootKey(RegistryScript::Root root)
{
    return rootBase + static_cast<Key>(root);
}

std::optional<MemoryRegistry::Path> MemoryRegistry::PathOf(Key key) const
{
    if (key >= rootBase && key < rootBase + 7)
        return Path{static_cast<RegistryScript::Root>(key - rootBase), {}};
    const auto opened = open_.find(key);
    if (opened == open_.end())
        return std::nullopt;
    return opened->second;
}

MemoryRegistry::Node* MemoryRegistry::Find(Key key)
{
    const std::optional<Path> path = PathOf(key);
    if (!path)
        return nullptr;
    Node* node = &roots_[path->root];
    for (const std::wstring& name : path->names) {
        const auto child = node->keys.find(name);
        if (child == node->keys.end())
            return nullptr;
        node = &child->second;
    }
    return node;
}

std::int32_t MemoryRegistry::Reach(Key key, Node*& node)
{
    node = Find(key);
    if (!node)
        return KeyDeleted;
    return Fails() ? AccessDenied : Success;
}

RegistryEditor::Key MemoryRegistry::Open(Path path)
{
    const Key key = next_++;
    open_.emplace(key, std::move(path));
    return key;
}

std::int32_t MemoryRegistry::CreateKey(Key parent, const std::wstring& name, Key& key)
{
    Node* node = nullptr;
    if (const std::int32_t status = Reach(parent, node))
        return status;
    Path path = *PathOf(parent);
    path.names.push_back(RegistryScript::Upper(name));
    node->keys[path.names.back()];
    key = Open(std::move(path));
    return Success;
}

std::int32_t MemoryRegistry::OpenKey(Key parent, const std::wstring& name, Key& key)
{
    Node* node = nullptr;
    if (const std::int32_t status = Reach(parent, node))
        return status;
    const std::wstring upper = RegistryScript::Upper(name);
    if (!node->keys.count(upper))
        return NotFound;
    Path path = *PathOf(parent);
    path.names.push_back(upper);
    key = Open(std::move(path));
    return Success;
}

void MemoryRegistry::CloseKey(Key key) noexcept
{
    open_.erase(key);
}

std::int32_t MemoryRegistry::SetValue(Key key, const wchar_t* name, const RegistryScript::Value& value)
{
    Node* node = nullptr;
    if (const std::int32_t status = Reach(key, node))
        return status;
    node->values[RegistryScript::Upper(name ? name : L"")] = value;
    return Success;
}

std::int32_t MemoryRegistry::DeleteValue(Key key, const std::wstring& name)
{
    Node* node = nullptr;
    if (const std::int32_t status = Reach(key, node))
        return status;
    return node->values.erase(RegistryScript::Upper(name)) ? Success : NotFound;
}

std::int32_t MemoryRegistry::AnySubkey(Key key, std::wstring& name)
{
    Node* node = nullptr;
    if (const std::int32_t status = Reach(key, node))
        return status;
    if (node->keys.empty())
        return NoMoreItems;
    name = node->keys.begin()->first;
    return Success;
}

std::int32_t MemoryRegistry::CountSubkeys(Key key, std::uint32_t& count)
{
    Node* node = nullptr;
    if (const std::int32_t status = Reach(key, node))
        return status;
    count = static_cast<std::uint32_t>(node->keys.size());
    return Success;
}

std::int32_t MemoryRegistry::DeleteKey(Key parent, const std::wstring& name)
{
    Node* node = nullptr;
    if (const std::int32_t status = Reach(parent, node))
        return status;
    const auto child = node->keys.find(RegistryScript::Upper(name));
    if (child == node->keys.end())
        return NotFound;
    if (!child->second.keys.empty())
        return AccessDenied;  // the registry refuses to delete a key that has subkeys
    node->keys.erase(child);
    return Success;
}
