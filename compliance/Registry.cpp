#include "compliance/Registry.h"

#include "text/Transcoding.h"
#include "text/UniqueResource.h"

#include <vector>

namespace {

constexpr RegistryView views[] = {RegistryView::Own, RegistryView::Other};

UniqueRegistryKey OpenForQuery(RegistryView view, const wchar_t* keyPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE | RegistryViewFlag(view), &key) != ERROR_SUCCESS)
        return {};
    return UniqueRegistryKey(key);
}

bool ValueExists(HKEY key, const wchar_t* valueName)
{
    const LSTATUS status = RegQueryValueExW(key, valueName, nullptr, nullptr, nullptr, nullptr);
    return status == ERROR_SUCCESS || status == ERROR_MORE_DATA;
}

std::optional<CopiedU8String> ReadString(HKEY key, const wchar_t* valueName)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    // Two spare bytes: the stored data need not end in a zero unit.
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = static_cast<DWORD>(data.size() * sizeof(wchar_t) - sizeof(wchar_t));
    if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    data[std::min<std::size_t>(got / sizeof(wchar_t), data.size() - 1)] = L'\0';
    return TranscodeU16ToU8(U16String(data.data()));
}

}  // namespace

REGSAM RegistryViewFlag(RegistryView view)
{
    if (view == RegistryView::Own)
        return 0;
    return sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

RegistryString ReadRegistryStringWithView(const wchar_t* keyPath, const wchar_t* valueName)
{
    for (const RegistryView view : views) {
        const UniqueRegistryKey key = OpenForQuery(view, keyPath);
        // A value that is there but is no string is the agent's answer: no other view is asked.
        if (key && ValueExists(key.Get(), valueName))
            return {ReadString(key.Get(), valueName), view};
    }
    return {};
}

std::optional<CopiedU8String> ReadRegistryString(const wchar_t* keyPath, const wchar_t* valueName)
{
    return ReadRegistryStringWithView(keyPath, valueName).text;
}

bool RegistryValueExistsIn(RegistryView view, const wchar_t* keyPath, const wchar_t* valueName)
{
    const UniqueRegistryKey key = OpenForQuery(view, keyPath);
    return key && ValueExists(key.Get(), valueName);
}

bool RegistryValueExists(const wchar_t* keyPath, const wchar_t* valueName)
{
    for (const RegistryView view : views)
        if (RegistryValueExistsIn(view, keyPath, valueName))
            return true;
    return false;
}
