#include "com/Registrar.h"

#include "com/RegistryEditor.h"

#include <oleauto.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {

HKEY RootKey(RegistryScript::Root root)
{
    switch (root) {
    case RegistryScript::Root::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryScript::Root::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryScript::Root::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryScript::Root::Users: return HKEY_USERS;
    case RegistryScript::Root::PerformanceData: return HKEY_PERFORMANCE_DATA;
    case RegistryScript::Root::DynData: return HKEY_DYN_DATA;
    case RegistryScript::Root::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return HKEY_CLASSES_ROOT;
}

// "d" values are read by the platform's variant conversion.
std::int32_t ReadDecimal(const std::wstring& text, std::uint32_t& number)
{
    ULONG value = 0;
    const HRESULT hr = VarUI4FromStr(const_cast<OLECHAR*>(text.c_str()), LOCALE_USER_DEFAULT, 0, &value);
    number = value;
    return FAILED(hr) ? hr : 0;
}

LSTATUS DeleteKeyByName(HKEY parent, const wchar_t* name)
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

// The registry itself.
class WindowsRegistry : public RegistryEditor {
public:
    explicit WindowsRegistry(const Registrar::RootResolver& roots) : roots_(roots) {}

    Key RootKey(RegistryScript::Root root) override { return ToKey(roots_(::RootKey(root))); }
    std::int32_t CreateKey(Key parent, const std::wstring& name, Key& key) override
    {
        HKEY created = nullptr;
        const LSTATUS status = RegCreateKeyExW(ToHandle(parent), name.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                               nullptr, &created, nullptr);
        key = ToKey(created);
        return status;
    }
    std::int32_t OpenKey(Key parent, const std::wstring& name, Key& key) override
    {
        HKEY opened = nullptr;
        const LSTATUS status = RegOpenKeyExW(ToHandle(parent), name.c_str(), 0, KEY_READ | KEY_WRITE, &opened);
        key = ToKey(opened);
        return status;
    }
    void CloseKey(Key key) noexcept override { RegCloseKey(ToHandle(key)); }
    std::int32_t SetValue(Key key, const wchar_t* name, const RegistryScript::Value& value) override
    {
        return RegSetValueExW(ToHandle(key), name, 0, static_cast<DWORD>(value.type), value.data.data(),
                              static_cast<DWORD>(value.data.size()));
    }
    std::int32_t DeleteValue(Key key, const std::wstring& name) override
    {
        return RegDeleteValueW(ToHandle(key), name.c_str());
    }
    std::int32_t AnySubkey(Key key, std::wstring& name) override
    {
        wchar_t child[256];  // the longest key name and its terminator
        DWORD length = 256;
        const LSTATUS status = RegEnumKeyExW(ToHandle(key), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS)
            name.assign(child, length);
        return status;
    }
    std::int32_t CountSubkeys(Key key, std::uint32_t& count) override
    {
        DWORD subkeys = 0;
        const LSTATUS status = RegQueryInfoKeyW(ToHandle(key), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                                nullptr, nullptr, nullptr, nullptr, nullptr);
        count = subkeys;
        return status;
    }
    std::int32_t DeleteKey(Key parent, const std::wstring& name) override
    {
        return DeleteKeyByName(ToHandle(parent), name.c_str());
    }

private:
    static Key ToKey(HKEY key) { return reinterpret_cast<Key>(key); }
    static HKEY ToHandle(Key key) { return reinterpret_cast<HKEY>(key); }

    const Registrar::RootResolver& roots_;
};

}  // namespace

Registrar::Registrar(RootResolver roots) : roots_(std::move(roots))
{
    if (!roots_)
        roots_ = [](HKEY root) { return root; };
}

void Registrar::AddReplacement(std::wstring name, std::wstring value)
{
    replacements_[RegistryScript::Upper(name)] = std::move(value);
}

HRESULT Registrar::Run(std::wstring_view script, bool registering)
{
    WindowsRegistry registry(roots_);
    return registry.Run(script, replacements_, ReadDecimal, registering);
}
