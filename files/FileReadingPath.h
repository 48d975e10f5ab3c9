#pragma once
// Open files: one handle and the location it was opened at.
#include "files/FileLocation.h"
#include "text/UniqueResource.h"

#include <cstdint>

namespace WindowsPlatform {

class FileReadingPath {
public:
    // Closed until Open or Adopt.
    FileReadingPath() = default;
    // Opens for reading; others may read, and write too when shareWriters is set.
    FileReadingPath(const FileLocation& location, bool shareWriters);
    FileReadingPath(const FileReadingPath&) = delete;
    FileReadingPath& operator=(const FileReadingPath&) = delete;
    // Closes the handle; a failure of that close is not reported.
    virtual ~FileReadingPath() = default;

    virtual void Open(const FileLocation& location, bool shareWriters);
    // CREATE_ALWAYS empties an existing file in place, keeping its attributes.
    void OpenWith(const FileLocation& location, std::uint32_t access, std::uint32_t disposition,
                  std::uint32_t share);
    // Takes over a handle opened elsewhere (a checked exchange file) as if opened here.
    void Adopt(UniqueFile handle, const FileLocation& location);
    void Close();
    std::uint64_t Size() const;
    void Flush();

    // Puts the handle's file pointer at `position` for the next transfer, and records where
    // a transfer left it. The pointer belongs to this layer: it remembers where the handle
    // stands and only asks the system to move it when it is elsewhere.
    void PositionAt(std::uint64_t position);
    void TransferEnded(std::uint64_t position, bool succeeded);

    const FileLocation& Location() const { return location_; }
    HANDLE Handle() const { return handle_.Get(); }
    bool IsOpen() const { return handle_.Valid(); }

private:
    // Only disk files are read and written here: a pipe or a device is refused.
    void CheckDiskFile();

    FileLocation location_;
    UniqueHandle handle_;  // null while closed
    std::uint64_t pointer_ = 0;
    bool pointerKnown_ = false;
};

// Opened for writing: others may only read.
class FileWritingPath : public FileReadingPath {
public:
    FileWritingPath() = default;
    ~FileWritingPath() override = default;

    // Closes what is open, then creates the file or empties it in place.
    void OpenForWriting(const FileLocation& location);
};

}  // namespace WindowsPlatform
