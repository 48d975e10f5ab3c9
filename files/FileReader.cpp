#include "files/FileReader.h"

#include "files/FileErrorTables.h"
#include "files/FileIOError.h"

#include <algorithm>

FileReader::FileReader(WindowsPlatform::FileReadingPath& file, std::uint64_t start)
    : file_(&file), position_(start), size_(file.Size())
{
}

std::uint32_t FileReader::ReadAt(char* destination, std::uint32_t count)
{
    file_->PositionAt(position_);
    DWORD read = 0;
    const bool ok = ReadFile(file_->Handle(), destination, count, &read, nullptr);
    const DWORD code = ok ? NO_ERROR : GetLastError();
    file_->TransferEnded(position_ + read, ok);
    if (!ok) {
        ThrowReadError(file_->Location(), code);
        // Only a failure without a code gets here: it read nothing.
    }
    position_ += read;
    return read;
}

DataReader& FileReader::ReadExactly(char* first, char* last)
{
    while (first < last) {
        const auto want = static_cast<std::uint32_t>(std::min<std::ptrdiff_t>(last - first, 0x7FFFFFFF));
        const std::uint32_t got = ReadAt(first, want);
        if (got != want)
            throw NoMoreData();
        first += got;
    }
    return *this;
}

void FileReader::ReadSome(ByteRange& range)
{
    if (range.Empty())
        return;
    const auto want = static_cast<std::uint32_t>(std::min<std::ptrdiff_t>(range.last - range.first, 0x7FFFFFFF));
    range.first += ReadAt(range.first, want);
}

DataWriter& FileWriter::Write(const char* first, const char* last)
{
    while (first < last) {
        const auto length = static_cast<DWORD>(std::min<std::ptrdiff_t>(last - first, 0x7FFFFFFF));
        file_->PositionAt(position_);
        DWORD written = 0;
        const bool ok = WriteFile(file_->Handle(), first, length, &written, nullptr);
        const DWORD code = ok ? NO_ERROR : GetLastError();
        file_->TransferEnded(position_ + written, ok);
        if (!ok)
            ThrowWriteError(file_->Location(), code);
        // A short write is what a full disk does before it fails outright: the rest is
        // tried again, and a write that takes nothing at all is the full disk.
        if (written == 0)
            ThrowWriteError(file_->Location(), ERROR_DISK_FULL);
        position_ += written;
        first += written;
    }
    return *this;
}
