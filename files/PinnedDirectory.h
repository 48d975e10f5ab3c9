#pragma once
// A directory opened once and held open while it is worked in. The open refuses a reparse
// point (a link or a mount point) and a directory whose final path is not the one named,
// which is what a link in any parent makes it. Held for listing and without delete
// sharing, the directory can be neither renamed nor removed, so no link can take its
// place until the handle is closed.
//
// The files inside are opened, made and renamed by name relative to the held handle, never
// by a full path, without following a reparse point, with the caller's identity protected;
// and each is checked again through its handle: a plain file with one link, whose final
// path is the child of this directory it was opened as.
#include "files/FileHandleOperations.h"
#include "files/FileLocation.h"
#include "text/UniqueResource.h"

#include <optional>

class PinnedDirectory {
public:
    // Throws LinkedFileError for a link, a mount point or a link in a parent; the file
    // layer's errors when it cannot be opened (DirectoryNotFoundError for a file).
    explicit PinnedDirectory(const FileLocation& location);

    const FileLocation& Location() const { return location_; }
    HANDLE Handle() const { return handle_.Get(); }
    FileLocation Child(U8String name) const { return FileLocation::Child(location_, name); }

    // Whether anything is at that name.
    bool Has(U8String name) const;
    // When what is at that name was last written; nothing when nothing can be opened there.
    std::optional<FILETIME> LastWritten(U8String name) const;
    // A new file, for `access` (DELETE is always added, so that it can be renamed or
    // deleted through its handle), shared with readers. FileFoundError when the name is
    // taken, by anything.
    UniqueFile CreateNew(U8String name, DWORD access) const;
    // An existing plain file, for `access` and with `share`, and what the checks saw of it.
    // LinkedFileError for anything but a plain file with one link at exactly that name.
    UniqueFile OpenPlainFile(U8String name, DWORD access, DWORD share, FileFacts* facts = nullptr) const;
    // Removes a plain file with one link, read-only or not, through its own handle; a
    // missing name is fine. LinkedFileError, leaving it alone, for anything else.
    void RemovePlainFile(U8String name) const;
    // Gives the open file (with DELETE access, inside this directory) the name `to` here,
    // replacing what has that name when `replace` is set. FileMoveError, naming `from` and
    // `to`, on failure.
    void Rename(HANDLE file, U8String from, U8String to, bool replace) const;

private:
    FileFacts CheckPlainFile(HANDLE file, const FileLocation& location) const;

    FileLocation location_;
    UniqueFile handle_;
};
