#include "files/FileErrorTables.h"

#include "files/FileIOError.h"
#include "files/FileLocation.h"

#include <algorithm>
#include <span>

namespace {

enum class Kind { NoError, IO, NotFound, DirectoryNotFound, Found, Permission, Lock, DiskFull, Seek, EndOfFile };

enum Column { LocationColumn, HandleColumn, FlushColumn, ReadColumn, WriteColumn, ColumnCount };

struct Row {
    std::span<const std::uint32_t> codes;
    Kind kinds[ColumnCount];
};

// Groups of codes that share a row.
constexpr std::uint32_t NF[] = {2, 6, 18, 107};
constexpr std::uint32_t DNF[] = {3, 15, 17,  34,  52,  53,  55,  67,  70,  85,
                           111, 123, 124, 125, 144, 154, 161, 206, 208, 267};
constexpr std::uint32_t PERM_EXCEPT_80_183[] = {5, 12, 19, 29, 54, 58, 64, 65, 71, 82, 86, 170, 999};
constexpr std::uint32_t SEEK[] = {24, 25, 27, 30, 131, 132};
constexpr std::uint32_t LOCK[] = {33, 108, 167};
constexpr std::uint32_t FULL[] = {39, 112};
constexpr std::uint32_t SUCCESS[] = {0};
constexpr std::uint32_t HANDLE_EOF[] = {38};
constexpr std::uint32_t EXISTS[] = {80, 183};
constexpr std::uint32_t SHARING[] = {32};

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
