#include "agent/AgentInstallation.h"

#include "compliance/Registry.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"

#include <optional>
#include <vector>

namespace {

// The registry view flag of "--view 32" or "--view 64": an agent of that bitness keeps
// its values there.
std::optional<REGSAM> ParseView(const std::wstring& text)
{
    if (text == L"32")
        return KEY_WOW64_32KEY;
    if (text == L"64")
        return KEY_WOW64_64KEY;
    return std::nullopt;
}

std::wstring DefaultDirectory(const wchar_t* leaf)
{
    wchar_t base[MAX_PATH] = L"C:\\ProgramData";
    GetEnvironmentVariableW(L"ProgramData", base, MAX_PATH);
    return std::wstring(base) + L"\\Quorlan\\VerimarkAPI\\" + leaf;
}

const char* ViewText(REGSAM view)
{
    return view == KEY_WOW64_32KEY ? " in the 32-bit registry view"
           : view == KEY_WOW64_64KEY ? " in the 64-bit registry view"
                                     : "";
}

}  // namespace

bool SetRegistryString(const wchar_t* keyPath, const wchar_t* name, const std::wstring& value, REGSAM view)
{
    UniqueRegistryKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, key.Put(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void DeleteRegistryValue(const wchar_t* keyPath, const wchar_t* name, REGSAM view)
{
    UniqueRegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_SET_VALUE | view, key.Put()) == ERROR_SUCCESS)
        RegDeleteValueW(key.Get(), name);
}

void CreateDirectories(const std::wstring& path)
{
    for (std::size_t at = path.find_first_of(L"\\/", 3); at != std::wstring::npos; at = path.find_first_of(L"\\/", at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(path.c_str(), nullptr);
}

int Install(Arguments& args)
{
    std::wstring version = L"4.2.0", requests = DefaultDirectory(L"Requests"), responses = DefaultDirectory(L"Responses");
    REGSAM view = 0;
    while (args.More()) {
        const std::wstring option = args.Next();
        if (!args.More())
            return Fail("option " + Narrow(option) + " needs a value");
        const std::wstring value = args.Next();
        if (option == L"--version")
            version = value;
        else if (option == L"--request-dir")
            requests = value;
        else if (option == L"--response-dir")
            responses = value;
        else if (option == L"--view" && ParseView(value))
            view = *ParseView(value);
        else if (option == L"--view")
            return Fail("--view takes 32 or 64");
        else
            return Fail("unknown option " + Narrow(option));
    }
    if (!SetRegistryString(ClientKeyPath, L"Version", version, view) ||
        !SetRegistryString(ApiKeyPath, L"RequestDir", requests, view) ||
        !SetRegistryString(ApiKeyPath, L"ResponseDir", responses, view))
        return Fail("cannot write the registry values under HKEY_LOCAL_MACHINE (administrator rights?)");
    CreateDirectories(requests);
    CreateDirectories(responses);
    Log("installed" + std::string(ViewText(view)) + ": Version " + Narrow(version) + ", RequestDir " + Narrow(requests) +
        ", ResponseDir " + Narrow(responses));
    return 0;
}

int Uninstall(Arguments& args)
{
    // Without --view, from both views: nothing of an earlier install is left in either.
    std::vector<REGSAM> views{KEY_WOW64_32KEY, KEY_WOW64_64KEY};
    if (args.More()) {
        const std::wstring option = args.Next();
        const std::optional<REGSAM> view = args.More() ? ParseView(args.Next()) : std::nullopt;
        if (option != L"--view" || !view || args.More())
            return Fail("uninstall takes only --view 32 or --view 64");
        views = {*view};
    }
    for (const REGSAM view : views) {
        DeleteRegistryValue(ClientKeyPath, L"Version", view);
        DeleteRegistryValue(ApiKeyPath, L"RequestDir", view);
        DeleteRegistryValue(ApiKeyPath, L"ResponseDir", view);
    }
    Log("uninstalled");
    return 0;
}
