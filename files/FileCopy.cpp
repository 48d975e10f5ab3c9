#include "files/FileCopy.h"

#include "files/FileDataSink.h"
#include "files/FileErrorTables.h"
#include "files/FileHandleOperations.h"
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
    const CopiedU16String from = NativePath(source), to = NativePath(destination);
    if (CopyFileW(from.Begin(), to.Begin(), TRUE))
        return;
    const DWORD code = GetLastError();  // before anything is freed
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

void WriteFileIntoPlace(const FileLocation& destination, const std::function<void(DataReceiver&)>& produce,
                        FileRetryLog& log)
{
    if (destination.Empty())
        throw EmptyFileLocationError();
    // Beside the destination, so that the final rename stays on its volume; the process id
    // keeps two writers to one destination apart.
    std::string name(destination.Text().View());
    name += ".";
    name += FormatDecimal32(GetCurrentProcessId(), 1).View();
    name += ".verimark-tmp";
    const FileLocation temporary{U8String(std::string_view(name))};
    // The path outlives the call: the last error is read before anything is freed.
    const CopiedU16String path = NativePath(temporary);
    UniqueFile created(CreateFileW(path.Begin(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                                   nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | NoImpersonation, nullptr));
    if (!created) {
        const DWORD code = GetLastError();
        ThrowHandleError(temporary, code);
        throw FileIOError(temporary, code);
    }
    WindowsPlatform::FileWritingPath file;
    file.Adopt(std::move(created), temporary);
    try {
        FileDataSink sink(file, 0);
        produce(sink);
        RetryFileOperation("ForceMoveFile", temporary, &destination, log,
                           [&] { RenameByHandle(file.Handle(), temporary, destination, true); });
    } catch (...) {
        try {
            DeleteByHandle(file.Handle(), temporary);
        } catch (...) {
        }
        throw;
    }
}
