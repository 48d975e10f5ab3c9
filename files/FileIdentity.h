#pragma once
// Which file a location names, as the file system knows it: the volume's serial number and
// the file's index on that volume. Every name of one file has one identity: another letter
// case, an 8.3 short name, the "\\?\" form, ".." components, a hard link.
#include "files/FileLocation.h"
#include "text/Win32.h"

#include <cstdint>
#include <optional>

struct FileIdentity {
    std::uint32_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Nothing when the location cannot be opened (missing, or refused); files and directories alike.
std::optional<FileIdentity> IdentityOf(const FileLocation& location);
// Of an open file; nothing when the system cannot describe the handle.
std::optional<FileIdentity> IdentityOf(HANDLE file);

// Both locations exist and are one file.
bool SameFile(const FileLocation& a, const FileLocation& b);
