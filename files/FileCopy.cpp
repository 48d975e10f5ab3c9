#include "files/FileCopy.h"

#include "files/FileIOError.h"
#include "files/FileOperations.h"
#include "text/Numerals.h"
#include "text/Win32.h"

#include <string>

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

void ForceCopyFileIntoPlace(const FileLocation& source, const FileLocation& destination, FileRetryLog& log)
{
    // Beside the destination, so that the final move stays on its volume; the process id
    // keeps two copies to one destination apart.
    std::string name(destination.Text().View());
    name += ".";
    name += FormatDecimal32(GetCurrentProcessId(), 1).View();
    name += ".verimark-tmp";
    const FileLocation temporary{U8String(std::string_view(name))};
    try {
        ForceCopyFile(source, temporary, log);
        ForceMoveFile(temporary, destination, log);
    } catch (...) {
        try {
            MakeNonexistent(temporary);
        } catch (...) {
        }
        throw;
    }
}
