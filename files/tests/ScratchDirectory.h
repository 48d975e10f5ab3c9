#pragma once
// A fresh directory under the temporary folder for one test, removed with everything in
// it (read-only or not) when the test ends.
#include "files/FileLocation.h"

#include <set>
#include <string>

class ScratchDirectory {
public:
    ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    ~ScratchDirectory();

    const FileLocation& Root() const { return root_; }
    FileLocation operator/(std::string_view name) const { return FileLocation::Child(root_, name); }

private:
    FileLocation root_;
};

// The location's text in UTF-16, for the system calls and registry values of a test.
std::wstring Wide(const FileLocation& location);

// Whole-file helpers that go straight to the system, independent of the code under test.
void WriteWholeFile(const FileLocation& location, std::string_view bytes);
std::string ReadWholeFile(const FileLocation& location);
unsigned long AttributesOf(const FileLocation& location);
void SetAttributesOf(const FileLocation& location, unsigned long attributes);
// The names in a directory, "." and ".." aside.
std::set<std::wstring> NamesIn(const FileLocation& directory);
