#include "text/WholeFile.h"

#include "text/UniqueResource.h"

std::optional<std::string> ReadAllOf(const std::wstring& path, unsigned long share)
{
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read)
        bytes.append(buffer, read);
    return bytes;
}
