#include "files/FileCopy.h"

#include "files/FileIOError.h"
#include "files/FileOperations.h"
#include "text/Win32.h"

void CopyLocation(const FileLocation& source, const FileLocation& destination)
{
    if (source.Attributes() != INVALID_FILE_ATTRIBUTES && !destination.Empty())
        MakeNonexistent(destination);
    if (source.Attributes() == INVALID_FILE_ATTRIBUTES)
        throw FileNotFoundError(source, ERROR_FILE_NOT_FOUND);
    if (CopyFileW(NativePath(source).Begin(), NativePath(destination).Begin(), TRUE))
        return;
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND)
        throw FileNotFoundError(source, code);
    if (code == ERROR_FILE_EXISTS)
        throw FileFoundError(destination, code);
    throw FileCopyError(source, destination, code);
}

void ForceCopyFile(const FileLocation& source, const FileLocation& destination, FileRetryLog& log)
{
    RetryFileOperation("ForceCopyFile", source, &destination, log, [&] { CopyLocation(source, destination); });
}
