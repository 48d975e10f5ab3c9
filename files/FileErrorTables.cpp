#include "files/FileErrorTables.h"

#include "files/FileIOError.h"
#include "files/FileLocation.h"
#include "text/Win32.h"

#include <algorithm>
#include <span>

namespace {

enum class Kind { NoError, IO, NotFound, DirectoryNotFound, Found, Permission, Lock, DiskFull, Seek, EndOfFile };

enum Column { LocationColumn, HandleColumn, FlushColumn, ReadColumn, WriteColumn, ColumnCount };

struct Row {
    std::span<const std::uint32_t> codes;
    Kind kinds[ColumnCount];
};

// Groups of codes that share a row, by their names in <winerror.h> (the values in brackets).
constexpr std::uint32_t NF[] = {ERROR_FILE_NOT_FOUND /* 2 */, ERROR_INVALID_HANDLE /* 6 */,
    ERROR_NO_MORE_FILES /* 18 */, ERROR_DISK_CHANGE /* 107 */};
constexpr std::uint32_t DNF[] = {ERROR_PATH_NOT_FOUND /* 3 */, ERROR_INVALID_DRIVE /* 15 */,
    ERROR_NOT_SAME_DEVICE /* 17 */, ERROR_WRONG_DISK /* 34 */, ERROR_DUP_NAME /* 52 */, ERROR_BAD_NETPATH /* 53 */,
    ERROR_DEV_NOT_EXIST /* 55 */, ERROR_BAD_NET_NAME /* 67 */, ERROR_SHARING_PAUSED /* 70 */,
    ERROR_ALREADY_ASSIGNED /* 85 */, ERROR_BUFFER_OVERFLOW /* 111 */, ERROR_INVALID_NAME /* 123 */,
    ERROR_INVALID_LEVEL /* 124 */, ERROR_NO_VOLUME_LABEL /* 125 */, ERROR_DIR_NOT_ROOT /* 144 */,
    ERROR_LABEL_TOO_LONG /* 154 */, ERROR_BAD_PATHNAME /* 161 */, ERROR_FILENAME_EXCED_RANGE /* 206 */,
    ERROR_META_EXPANSION_TOO_LONG /* 208 */, ERROR_DIRECTORY /* 267 */};
constexpr std::uint32_t PERM_EXCEPT_80_183[] = {ERROR_ACCESS_DENIED /* 5 */, ERROR_INVALID_ACCESS /* 12 */,
    ERROR_WRITE_PROTECT /* 19 */, ERROR_WRITE_FAULT /* 29 */, ERROR_NETWORK_BUSY /* 54 */,
    ERROR_BAD_NET_RESP /* 58 */, ERROR_NETNAME_DELETED /* 64 */, ERROR_NETWORK_ACCESS_DENIED /* 65 */,
    ERROR_REQ_NOT_ACCEP /* 71 */, ERROR_CANNOT_MAKE /* 82 */, ERROR_INVALID_PASSWORD /* 86 */, ERROR_BUSY /* 170 */,
    ERROR_SWAPERROR /* 999 */};
constexpr std::uint32_t SEEK[] = {ERROR_BAD_LENGTH /* 24 */, ERROR_SEEK /* 25 */, ERROR_SECTOR_NOT_FOUND /* 27 */,
    ERROR_READ_FAULT /* 30 */, ERROR_NEGATIVE_SEEK /* 131 */, ERROR_SEEK_ON_DEVICE /* 132 */};
constexpr std::uint32_t LOCK[] = {ERROR_LOCK_VIOLATION /* 33 */, ERROR_DRIVE_LOCKED /* 108 */,
    ERROR_LOCK_FAILED /* 167 */};
constexpr std::uint32_t FULL[] = {ERROR_HANDLE_DISK_FULL /* 39 */, ERROR_DISK_FULL /* 112 */};
constexpr std::uint32_t SUCCESS[] = {ERROR_SUCCESS /* 0 */};
constexpr std::uint32_t HANDLE_EOF[] = {ERROR_HANDLE_EOF /* 38 */};
constexpr std::uint32_t EXISTS[] = {ERROR_FILE_EXISTS /* 80 */, ERROR_ALREADY_EXISTS /* 183 */};
constexpr std::uint32_t SHARING[] = {ERROR_SHARING_VIOLATION /* 32 */};

using enum Kind;

// Columns: location, handle, flush, read, write. A code in no row is a plain FileIOError.
// (999 is a permission code, but writing has no permission row for it: it falls to IO.)
const Row table[] = {
    {SUCCESS,            {NoError,           NoError,           NoError,           NoError,    NoError}},
    {HANDLE_EOF,         {NoError,           IO,                IO,                EndOfFile,  EndOfFile}},
    {NF,                 {NotFound,          NotFound,          NotFound,          IO,         IO}},
    {DNF,                {DirectoryNotFound, DirectoryNotFound, DirectoryNotFound, IO,         IO}},
    {PERM_EXCEPT_80_183, {Permission,        Permission,        Permission,        Permission, IO}},
    {EXISTS,             {Permission,        Permission,        Found,             Permission, IO}},
    {SHARING,            {IO,                IO,                IO,                Permission, Permission}},
    {SEEK,               {Seek,              IO,                IO,                Seek,       Seek}},
    {LOCK,               {Lock,              Lock,              Lock,              Lock,       Permission}},
    {FULL,               {DiskFull,          DiskFull,          DiskFull,          IO,         DiskFull}},
};

Kind Classify(Column column, std::uint32_t code)
{
    for (const Row& row : table)
        if (std::find(row.codes.begin(), row.codes.end(), code) != row.codes.end())
            return row.kinds[column];
    return IO;
}

void Raise(Column column, const FileLocation& location, std::uint32_t code)
{
    switch (Classify(column, code)) {
    case NoError: return;
    case IO: throw FileIOError(location, code);
    case NotFound: throw FileNotFoundError(location, code);
    case DirectoryNotFound: throw DirectoryNotFoundError(location, code);
    case Found: throw FileFoundError(location, code);
    case Permission: throw FilePermissionError(location, code);
    case Lock: throw FileLockError(location, code);
    case DiskFull: throw DiskFullError(location, code);
    case Seek: throw FileSeekError(location, code);
    case EndOfFile: throw EndOfFileError(location, code);
    }
}

}  // namespace

void ThrowLocationError(const FileLocation& location, std::uint32_t code) { Raise(LocationColumn, location, code); }
void ThrowHandleError(const FileLocation& location, std::uint32_t code) { Raise(HandleColumn, location, code); }
void ThrowFlushError(const FileLocation& location, std::uint32_t code) { Raise(FlushColumn, location, code); }
void ThrowReadError(const FileLocation& location, std::uint32_t code) { Raise(ReadColumn, location, code); }
void ThrowWriteError(const FileLocation& location, std::uint32_t code) { Raise(WriteColumn, location, code); }
