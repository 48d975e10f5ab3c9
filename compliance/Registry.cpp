#include "compliance/Registry.h"

#include "text/Transcoding.h"
#include "text/UniqueResource.h"

#include <vector>

namespace {

UniqueRegistryKey OpenForQuery(const wchar_t* keyPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {};
    return UniqueRegistryKey(key);
}

}  // namespace

std::optional<CopiedU8String> ReadRegistryString(const wchar_t* keyPath, const wchar_t* valueName)
{
    const UniqueRegistryKey key = OpenForQuery(keyPath);
    if (!key)
        return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.Get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    // Two spare bytes: the stored data need not end in a zero unit.
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = static_cast<DWORD>(data.size() * sizeof(wchar_t) - sizeof(wchar_t));
    if (RegQueryValueExW(key.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    data[std::min<std::size_t>(got / sizeof(wchar_t), data.size() - 1)] = L'\0';
    return TranscodeU16ToU8(U16String(data.data()));
}

bool RegistryValueExists(const wchar_t* keyPath, const wchar_t* valueName)
{
    const UniqueRegistryKey key = OpenForQuery(keyPath);
    if (!key)
        return false;
    const LSTATUS status = RegQueryValueExW(key.Get(), valueName, nullptr, nullptr, nullptr, nullptr);
    return status == ERROR_SUCCESS || status == ERROR_MORE_DATA;
}
