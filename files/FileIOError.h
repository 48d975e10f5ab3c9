#pragma once
// File failures: one class per kind, each carrying the Windows code and the locations.
#include "errors/DebuggableException.h"
#include "text/CopiedUString.h"

#include <cstdint>
#include <memory>
#include <string>

class FileLocation;

struct FileErrorDetails {
    std::uint32_t code = 0;
    CopiedU8String firstLocation;
    CopiedU8String secondLocation;
    CopiedU8String message;      // built on first use
    std::string narrowMessage;   // the message in the ANSI code page, built on first use
};

class FileIOError : public DebuggableException {
public:
    explicit FileIOError(std::uint32_t code = 0);
    FileIOError(const FileLocation& location, std::uint32_t code);
    FileIOError(const FileLocation& first, const FileLocation& second, std::uint32_t code);
    // A copy keeps the code and both locations and builds its own message again.
    FileIOError(const FileIOError& other);
    FileIOError& operator=(const FileIOError&) = delete;

    std::uint32_t Code() const noexcept { return details_->code; }
    U8String FirstLocation() const noexcept { return details_->firstLocation; }
    U8String SecondLocation() const noexcept { return details_->secondLocation; }

    // File error "<class>" on "<first>" and "<second>" : "<Windows error text>", the
    // clauses present as far as there is something to say. Never throws: the class name
    // stands in when the message cannot be built.
    U8String Description() const override;
    const char* what() const noexcept override;

private:
    void BuildMessage() const;

    std::unique_ptr<FileErrorDetails> details_;
};

#define VERIMARK_FILE_ERROR(Name) VERIMARK_PLAIN_EXCEPTION(Name, FileIOError)
VERIMARK_FILE_ERROR(FileNotFoundError);
VERIMARK_FILE_ERROR(DirectoryNotFoundError);
VERIMARK_FILE_ERROR(FileFoundError);
VERIMARK_FILE_ERROR(DirectoryFoundError);
VERIMARK_FILE_ERROR(FilePermissionError);
VERIMARK_FILE_ERROR(FileLockError);
VERIMARK_FILE_ERROR(DiskFullError);
VERIMARK_FILE_ERROR(FileSeekError);
VERIMARK_FILE_ERROR(EndOfFileError);
VERIMARK_FILE_ERROR(FileMoveError);
VERIMARK_FILE_ERROR(FileCopyError);
VERIMARK_FILE_ERROR(InvalidFileAttrs);
VERIMARK_FILE_ERROR(EmptyFileLocationError);
VERIMARK_FILE_ERROR(InvalidFileLocation);
VERIMARK_FILE_ERROR(RootHasNoParent);
// A link, a mount point, a file with more than one name, or a path that resolves elsewhere,
// where a plain file or directory of exactly that name is needed.
VERIMARK_FILE_ERROR(LinkedFileError);
// Every name a maker of temporaries tried (files/RandomName.h) was taken: someone makes
// files under the names it uses. Its location is the last name tried.
VERIMARK_FILE_ERROR(NamesTakenError);
#undef VERIMARK_FILE_ERROR
