#pragma once
// Operations that change the file system. Single attempts throw at the first failure;
// the Force forms retry on the schedule of RetryFileOperation.
#include "files/FileLocation.h"
#include "files/FileRetryLog.h"

#include <cstdint>

struct _SECURITY_ATTRIBUTES;

// Creates one directory (not its parents); an existing directory is fine, an existing
// file is DirectoryNotFoundError with code 0.
void MakeDirectory(const FileLocation& location, _SECURITY_ATTRIBUTES* security = nullptr);
// Removes one empty directory (a directory link with DeleteFileW).
void RemoveEmptyDirectory(const FileLocation& location);
// Deletes a file or an empty directory if it is there, read-only or not. Never recursive.
void MakeNonexistent(const FileLocation& location);
// MoveFileExW with the given flags, refusing to exchange a file and a directory. A
// read-only destination is made writable first; a read-only source stays read-only.
void MoveLocation(const FileLocation& source, const FileLocation& destination, std::uint32_t flags);

// Moves source onto destination, replacing it, copying across volumes if need be.
void ForceMoveFile(const FileLocation& source, const FileLocation& destination, FileRetryLog& log);
void ForceNonexistence(const FileLocation& location, FileRetryLog& log);
