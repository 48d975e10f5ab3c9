#pragma once
// What is done to a file through the handle that was opened on it, never by its name a
// second time: between two uses of a name, another user may put a link there.
#include "files/FileLocation.h"
#include "text/Win32.h"

#include <cstdint>
#include <string>

// Flags for every open of an exchange file: a name that resolves to a pipe server gets no
// more than an identification token of the caller, never one it could act with.
inline constexpr DWORD NoImpersonation = SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;

struct FileFacts {
    DWORD attributes = 0;
    DWORD links = 0;
    std::uint64_t size = 0;
    FILETIME lastWrite{};
};

// Throws the handle table's error for a handle the system cannot describe.
FileFacts FactsOf(HANDLE file, const FileLocation& location);
// The path the system resolved the handle to, in its "\\?\C:\..." form.
std::wstring FinalPathOf(HANDLE file, const FileLocation& location);
// Whether `final`, a FinalPathOf result, names `location`: letter case, an 8.3 short name,
// the "\\?\" prefix, "/" for "\" and a trailing separator aside.
bool FinalPathNames(std::wstring_view final, const FileLocation& location);

// Deletes the open file when its last handle closes. The handle needs DELETE access.
void DeleteByHandle(HANDLE file, const FileLocation& location);
// Clears the read-only attribute. The handle needs FILE_WRITE_ATTRIBUTES access.
void ClearReadOnlyByHandle(HANDLE file, const FileLocation& location);
