#include "files/FileReadingPath.h"

#include "files/FileErrorTables.h"
#include "files/FileIOError.h"

namespace WindowsPlatform {

FileReadingPath::FileReadingPath(const FileLocation& location, bool shareWriters)
{
    Open(location, shareWriters);
}

void FileReadingPath::Open(const FileLocation& location, bool shareWriters)
{
    OpenWith(location, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | (shareWriters ? FILE_SHARE_WRITE : 0));
}

void FileReadingPath::OpenWith(const FileLocation& location, std::uint32_t access, std::uint32_t disposition,
                               std::uint32_t share)
{
    location_ = location;
    handle_.Reset();
    pointerKnown_ = false;
    // The handle table may see nothing wrong in a code (0, or 38 where it is not an error);
    // the open has failed all the same.
    auto fail = [&](DWORD code) {
        handle_.Reset();
        ThrowHandleError(location, code);
        throw FileIOError(location, code);
    };
    const CopiedU16String path = NativePath(location);
    const bool truncate = disposition == CREATE_ALWAYS;
    // OPEN_ALWAYS rather than CREATE_ALWAYS: an existing file is emptied in place, so its
    // attributes stay as they were.
    HANDLE h = CreateFileW(path.Begin(), access, share, nullptr, truncate ? OPEN_ALWAYS : disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD openCode = GetLastError();
    if (h == INVALID_HANDLE_VALUE)
        fail(openCode);
    handle_.Reset(h);
    if (truncate && openCode == ERROR_ALREADY_EXISTS) {
        if (SetFilePointer(h, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER || !SetEndOfFile(h))
            fail(GetLastError());
    }
    CheckDiskFile();
}

void FileReadingPath::Adopt(UniqueFile handle, const FileLocation& location)
{
    location_ = location;
    pointerKnown_ = false;
    handle_.Reset(handle.Detach());
    CheckDiskFile();
}

void FileReadingPath::CheckDiskFile()
{
    const HANDLE h = handle_.Get();
    auto fail = [&](DWORD code) {
        handle_.Reset();
        ThrowHandleError(location_, code);
        throw FileIOError(location_, code);
    };
    // GetFileType reports an unknown type with NO_ERROR; clear any stale code first.
    SetLastError(NO_ERROR);
    const DWORD type = GetFileType(h);
    if (type == FILE_TYPE_DISK) {
        pointer_ = 0;
        pointerKnown_ = true;
        return;
    }
    if (type == FILE_TYPE_UNKNOWN) {
        const DWORD code = GetLastError();
        if (code != NO_ERROR)
            fail(code);
    }
    handle_.Reset();
    throw FilePermissionError(location_, ERROR_ACCESS_DENIED);
}

void FileReadingPath::PositionAt(std::uint64_t position)
{
    if (pointerKnown_ && pointer_ == position)
        return;
    pointerKnown_ = false;
    LONG high = static_cast<LONG>(position >> 32);
    SetLastError(NO_ERROR);
    if (SetFilePointer(handle_.Get(), static_cast<LONG>(position & 0xFFFFFFFF), &high, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        throw FileSeekError(location_, 0);
    pointer_ = position;
    pointerKnown_ = true;
}

void FileReadingPath::TransferEnded(std::uint64_t position, bool succeeded)
{
    pointer_ = position;
    pointerKnown_ = succeeded;
}

void FileReadingPath::Close()
{
    if (handle_.Valid() && !handle_.Close())
        ThrowHandleError(location_, GetLastError());
}

std::uint64_t FileReadingPath::Size() const
{
    DWORD high = 0;
    // A size whose low part is 0xFFFFFFFF is only a failure if the call set a code, so a
    // stale code from earlier must not be mistaken for one.
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(handle_.Get(), &high);
    if (low == INVALID_FILE_SIZE) {
        if (const DWORD code = GetLastError(); code != NO_ERROR)
            ThrowHandleError(location_, code);
    }
    return (std::uint64_t{high} << 32) | low;
}

void FileReadingPath::Flush()
{
    if (!FlushFileBuffers(handle_.Get()))
        ThrowFlushError(location_, GetLastError());
}

void FileWritingPath::OpenForWriting(const FileLocation& location)
{
    Close();
    OpenWith(location, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, FILE_SHARE_READ);
}

}  // namespace WindowsPlatform
