#include "files/FileCopy.h"

#include "files/FileDataSink.h"
#include "files/FileErrorTables.h"
#include "files/FileHandleOperations.h"
#include "files/FileIOError.h"
#include "files/FileOperations.h"
#include "files/RandomName.h"
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

void WriteFileIntoPlace(const PinnedDirectory& folder, U8String name, const std::function<void(DataReceiver&)>& produce,
                        FileRetryLog& log)
{
    if (name.Empty())
        throw EmptyFileLocationError();
    // Beside the destination, so that the final rename stays on its volume; the process id
    // says whose it is (an abandoned one is removed by the next writer there), the random
    // part makes it a name nobody can take in advance. A name that is taken is tried again
    // with another, a bounded number of times; then what was in the way is said.
    std::string temporaryName;
    WindowsPlatform::FileWritingPath file;
    for (int attempt = 1;; ++attempt) {
        temporaryName = std::string(name.View()) + "." + std::string(FormatDecimal32(GetCurrentProcessId(), 1).View()) +
                        "-" + RandomNamePart() + ".verimark-tmp";
        try {
            const U8String text{std::string_view(temporaryName)};
            file.Adopt(folder.CreateNew(text, GENERIC_READ | GENERIC_WRITE), folder.Child(text));
            break;
        } catch (const FileFoundError& e) {
            if (attempt == randomNameAttempts)
                throw NamesTakenError(folder.Child(U8String(std::string_view(temporaryName))), e.Code());
        }
    }
    const U8String temporaryText{std::string_view(temporaryName)};
    const FileLocation temporary = folder.Child(temporaryText), destination = folder.Child(name);
    try {
        FileDataSink sink(file, 0);
        produce(sink);
        RetryFileOperation("ForceMoveFile", temporary, &destination, log,
                           [&] { folder.Rename(file.Handle(), temporaryText, name, true); });
    } catch (...) {
        try {
            DeleteByHandle(file.Handle(), temporary);
        } catch (...) {
        }
        throw;
    }
}
