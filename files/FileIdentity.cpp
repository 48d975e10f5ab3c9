#include "files/FileIdentity.h"

#include "text/UniqueResource.h"

std::optional<FileIdentity> IdentityOf(const FileLocation& location)
{
    if (location.Empty())
        return std::nullopt;
    // No access asked for: only the attributes are read, and nobody else's use is hindered.
    // Backup semantics let a directory be opened too.
    const UniqueFile file(CreateFileW(NativePath(location).Begin(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file)
        return std::nullopt;
    return IdentityOf(file.Get());
}

std::optional<FileIdentity> IdentityOf(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(file, &information))
        return std::nullopt;
    return FileIdentity{information.dwVolumeSerialNumber,
                        (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

bool SameFile(const FileLocation& a, const FileLocation& b)
{
    const std::optional<FileIdentity> first = IdentityOf(a);
    return first && first == IdentityOf(b);
}
