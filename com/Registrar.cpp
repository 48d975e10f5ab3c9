#include "com/Registrar.h"

#include "com/RegistryScript.h"
#include "text/UniqueResource.h"

#include <oleauto.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {

using RegistryScript::Entry;
using RegistryScript::Modifier;
using ScriptError = RegistryScript::Error;

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

bool Protected(const std::wstring& name)
{
    static const wchar_t* const names[] = {L"AppID",  L"CLSID",    L"Component Categories", L"FileType",
                                           L"Interface", L"Hardware", L"Mime",                 L"SAM",
                                           L"SECURITY",  L"SYSTEM",   L"Software",             L"TypeLib"};
    return std::any_of(std::begin(names), std::end(names),
                       [&](const wchar_t* n) { return RegistryScript::SameName(name, n); });
}

void Check(LSTATUS status)
{
    if (status != ERROR_SUCCESS)
        throw ScriptError{HRESULT_FROM_WIN32(static_cast<DWORD>(status))};
}

void SetValue(HKEY key, const wchar_t* name, const RegistryScript::Value& value)
{
    Check(RegSetValueExW(key, name, 0, static_cast<DWORD>(value.type), value.data.data(),
                         static_cast<DWORD>(value.data.size())));
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
            SetValue(parent, entry.name.c_str(), *entry.value);
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
            SetValue(key, nullptr, *entry.value);
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
    replacements_[RegistryScript::Upper(name)] = std::move(value);
}

HRESULT Registrar::Run(std::wstring_view script, bool registering)
{
    try {
        const std::wstring expanded = RegistryScript::Expand(script, replacements_);
        RegistryScript::Parser parser(expanded, ReadDecimal);
        while (std::optional<RegistryScript::Block> block = parser.Next()) {
            const HKEY root = roots_(RootKey(block->root));
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
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
