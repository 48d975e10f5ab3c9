#include "files/FileOperations.h"

#include "files/FileErrorTables.h"
#include "files/FileIOError.h"
#include "text/Win32.h"

namespace {

bool Has(DWORD attributes, DWORD bit) { return (attributes & bit) != 0; }

// Relaxing attributes is best effort: a failure shows up in the operation that follows.
void ClearReadOnly(const wchar_t* path, DWORD attributes)
{
    SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

}  // namespace

void MakeDirectory(const FileLocation& location, _SECURITY_ATTRIBUTES* security)
{
    if (location.Empty())
        throw EmptyFileLocationError();
    const DWORD attributes = location.Attributes();
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const CopiedU16String path = NativePath(location, DirectoryPathLimit);
        if (!CreateDirectoryW(path.Begin(), security)) {
            const DWORD code = GetLastError();
            ThrowLocationError(location, code);
        }
        return;
    }
    if (!Has(attributes, FILE_ATTRIBUTE_DIRECTORY))
        throw DirectoryNotFoundError(location, 0);
}

void RemoveEmptyDirectory(const FileLocation& location)
{
    if (location.Empty())
        throw DirectoryNotFoundError(location, 0);
    const CopiedU16String path = NativePath(location);
    const DWORD attributes = GetFileAttributesW(path.Begin());
    if (attributes == INVALID_FILE_ATTRIBUTES || !Has(attributes, FILE_ATTRIBUTE_DIRECTORY))
        throw DirectoryNotFoundError(location, 0);
    if (Has(attributes, FILE_ATTRIBUTE_READONLY))
        ClearReadOnly(path.Begin(), attributes);
    const BOOL removed = Has(attributes, FILE_ATTRIBUTE_REPARSE_POINT) ? DeleteFileW(path.Begin())
                                                                        : RemoveDirectoryW(path.Begin());
    if (!removed) {
        const DWORD code = GetLastError();
        throw FileIOError(location, code);
    }
}

void MakeNonexistent(const FileLocation& location)
{
    const DWORD attributes = location.Attributes();
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    const CopiedU16String path = NativePath(location);
    auto relaxReadOnly = [&] {
        const DWORD now = GetFileAttributesW(path.Begin());
        if (now == INVALID_FILE_ATTRIBUTES) {
            const DWORD code = GetLastError();
            ThrowLocationError(location, code);
        }
        if (Has(now, FILE_ATTRIBUTE_READONLY) && !SetFileAttributesW(path.Begin(), now & ~FILE_ATTRIBUTE_READONLY)) {
            const DWORD code = GetLastError();
            ThrowLocationError(location, code);
        }
    };
    if (Has(attributes, FILE_ATTRIBUTE_READONLY))
        relaxReadOnly();
    if (Has(attributes, FILE_ATTRIBUTE_DIRECTORY)) {
        RemoveEmptyDirectory(location);
        return;
    }
    const DWORD now = GetFileAttributesW(path.Begin());
    if (now == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        throw FileNotFoundError(location, code);
    }
    if (Has(now, FILE_ATTRIBUTE_DIRECTORY))
        throw FileNotFoundError(location, 0);
    if (Has(now, FILE_ATTRIBUTE_READONLY))
        relaxReadOnly();
    if (!DeleteFileW(path.Begin())) {
        const DWORD code = GetLastError();
        ThrowLocationError(location, code);
    }
}

void MoveLocation(const FileLocation& source, const FileLocation& destination, std::uint32_t flags)
{
    const DWORD sourceAttributes = source.Attributes();
    if (sourceAttributes == INVALID_FILE_ATTRIBUTES)
        throw FileNotFoundError(source, ERROR_FILE_NOT_FOUND);
    if (source.Empty() || destination.Empty())
        throw EmptyFileLocationError();
    const CopiedU16String from = NativePath(source);
    const CopiedU16String to = NativePath(destination);
    const DWORD destinationAttributes = GetFileAttributesW(to.Begin());
    if (destinationAttributes != INVALID_FILE_ATTRIBUTES) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING))
            throw FileFoundError(destination, 0);
        const bool sourceIsDirectory = Has(sourceAttributes, FILE_ATTRIBUTE_DIRECTORY);
        if (sourceIsDirectory != Has(destinationAttributes, FILE_ATTRIBUTE_DIRECTORY))
            throw DirectoryFoundError(sourceIsDirectory ? source : destination, 0);
        const DWORD again = GetFileAttributesW(to.Begin());
        if (again == INVALID_FILE_ATTRIBUTES) {
            const DWORD code = GetLastError();
            throw FileNotFoundError(destination, code);
        }
        if (Has(again, FILE_ATTRIBUTE_READONLY))
            ClearReadOnly(to.Begin(), again);
    }
    if (!MoveFileExW(from.Begin(), to.Begin(), flags)) {
        const DWORD code = GetLastError();
        throw FileMoveError(source, destination, code);
    }
    if (Has(sourceAttributes, FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(to.Begin(), sourceAttributes);
}

void ForceMoveFile(const FileLocation& source, const FileLocation& destination, FileRetryLog& log)
{
    RetryFileOperation("ForceMoveFile", source, &destination, log, [&] {
        if (source.Attributes() == INVALID_FILE_ATTRIBUTES)
            throw FileNotFoundError(source, ERROR_FILE_NOT_FOUND);
        MoveLocation(source, destination, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
    });
}

void ForceNonexistence(const FileLocation& location, FileRetryLog& log)
{
    RetryFileOperation("ForceNonexistence", location, nullptr, log, [&] { MakeNonexistent(location); });
}
