#pragma once
// A file or directory location as UTF-8 text, with the path rules of Windows.
// Both "\" and "/" separate components on input; the system always inserts "\".
#include "text/CopiedUString.h"

#include <cstdint>

struct LocationRoot {
    std::uint8_t root = 0;      // a root: no parent
    std::uint8_t absolute = 0;  // starts at a separator, drive letter or UNC prefix
    std::uint8_t unc = 0;       // starts with two backslashes
    std::uint8_t drive = 0;     // starts with a drive letter and a colon
    CopiedU8String driveText;   // "C:" for a drive location, empty otherwise
};

LocationRoot AnalyseRoot(U8String text);

class FileLocation {
public:
    FileLocation() = default;
    // One trailing separator is dropped, unless the text is that separator alone.
    explicit FileLocation(U8String text);
    FileLocation(const char* first, const char* last) : FileLocation(U8String(first, last)) {}

    // The directory, then a backslash unless it ends with a separator, then the name
    // stripped of leading and trailing separators. An empty name gives the directory.
    // The name is not validated: pass a FileName or a text you trust.
    static FileLocation Child(const FileLocation& directory, U8String name);

    U8String Text() const { return text_; }
    bool Empty() const { return text_.Empty(); }

    bool IsRoot() const;
    FileLocation Parent() const;
    // INVALID_FILE_ATTRIBUTES for an empty or missing location.
    std::uint32_t Attributes() const;
    bool IsDirectory() const;
    bool IsFile() const;

private:
    CopiedU8String text_;
};

// Limits for NativePath: every call but CreateDirectoryW takes 259 units, it takes 248.
constexpr std::uint32_t PathLimit = 259;
constexpr std::uint32_t DirectoryPathLimit = 248;

// The zero-terminated UTF-16 path for a Windows call. Drive and UNC paths that reach the
// limit get the extended-length prefix "\\?\" (and slashes turned into backslashes).
CopiedU16String NativePath(const FileLocation& location, std::uint32_t limit = PathLimit);
