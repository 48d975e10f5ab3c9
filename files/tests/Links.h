#pragma once
// Links for the tests of code that must not follow them. Wine's CreateSymbolicLinkW does
// nothing, so a symbolic link is made where Wine keeps the file: a Unix symbolic link,
// which Wine shows as a link to a directory (a reparse point) or, to a file, as the file
// itself under another name.
#include "files/FileLocation.h"

// A symbolic link at `link` to `target` (a file or a directory). Throws when none can be made.
void MakeSymbolicLink(const FileLocation& link, const FileLocation& target);
// Removes the link itself, never what it points to.
void RemoveSymbolicLink(const FileLocation& link);
// Under Wine, removes a whole tree where Wine keeps it, following no link (Wine's own
// deletion of a link to a file deletes the file it points to). False elsewhere.
bool RemoveTreeOnTheUnixSide(const std::wstring& path);
// A second name for a file.
void MakeHardLink(const FileLocation& link, const FileLocation& target);
