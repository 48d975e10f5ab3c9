#include "files/PinnedDirectory.h"

#include "files/FileErrorTables.h"
#include "files/FileHandleOperations.h"
#include "files/FileIOError.h"
#include "text/Transcoding.h"

#include <winternl.h>

#include <algorithm>
#include <vector>

namespace {

[[noreturn]] void FailOpen(const FileLocation& location, DWORD code)
{
    ThrowHandleError(location, code);
    throw FileIOError(location, code);
}

bool HasBit(DWORD attributes, DWORD bit) { return (attributes & bit) != 0; }

constexpr ULONG shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Never through a link at the name, always waiting for each call to end (the handles are
// used as the system's ordinary synchronous ones).
constexpr ULONG plainFile = FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT;
constexpr ULONG anything = FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT;

// A name inside the held directory, opened or made relative to its handle: whatever is done
// to the directory's path meanwhile, the file is in this directory. The system's code for
// a failure, or 0 with the handle.
struct ChildOpen {
    UniqueFile file;
    DWORD code = 0;
};

ChildOpen OpenRelative(HANDLE directory, U8String name, ACCESS_MASK access, ULONG share, ULONG disposition,
                       ULONG options)
{
    const CopiedU16String wide = TranscodeU8ToU16(name);
    UNICODE_STRING text{};
    text.Buffer = const_cast<PWSTR>(wide.Begin());
    text.Length = text.MaximumLength = static_cast<USHORT>(std::min<std::size_t>(wide.Length() * sizeof(wchar_t), 0xFFFE));
    // A name that resolves to a pipe server gets an identification token of the caller only.
    SECURITY_QUALITY_OF_SERVICE quality{sizeof quality, SecurityIdentification, SECURITY_STATIC_TRACKING, FALSE};
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, directory, nullptr);
    attributes.SecurityQualityOfService = &quality;
    IO_STATUS_BLOCK status{};
    HANDLE handle = nullptr;
    const NTSTATUS result = NtCreateFile(&handle, access | SYNCHRONIZE | FILE_READ_ATTRIBUTES, &attributes, &status,
                                         nullptr, FILE_ATTRIBUTE_NORMAL, share, disposition, options, nullptr, 0);
    ChildOpen opened;
    if (result < 0) {
        const ULONG code = RtlNtStatusToDosError(result);
        opened.code = code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE;
        return opened;
    }
    opened.file.Reset(handle);
    return opened;
}

}  // namespace

PinnedDirectory::PinnedDirectory(const FileLocation& location) : location_(location)
{
    if (location.Empty())
        throw EmptyFileLocationError();
    // FILE_LIST_DIRECTORY, not just attributes: only an open for data access takes part in
    // sharing, and that is what keeps others from renaming or removing the directory.
    // A drive's root is stored as "C:", which alone would name the current directory there.
    std::wstring path(NativePath(location).StringView());
    if (AnalyseRoot(location.Text()).drive && location.IsRoot())
        path += L'\\';
    handle_.Reset(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT | NoImpersonation, nullptr));
    if (!handle_) {
        const DWORD code = GetLastError();
        FailOpen(location, code);
    }
    const FileFacts facts = FactsOf(handle_.Get(), location);
    if (!HasBit(facts.attributes, FILE_ATTRIBUTE_DIRECTORY)) {
        handle_.Reset();
        throw DirectoryNotFoundError(location, 0);
    }
    if (HasBit(facts.attributes, FILE_ATTRIBUTE_REPARSE_POINT) ||
        !FinalPathNames(FinalPathOf(handle_.Get(), location), location)) {
        handle_.Reset();
        throw LinkedFileError(location, 0);
    }
}

bool PinnedDirectory::Has(U8String name) const
{
    const ChildOpen opened = OpenRelative(handle_.Get(), name, 0, shareAll, FILE_OPEN, anything);
    // Something that cannot be opened, or is in use, is there all the same.
    return opened.code != ERROR_FILE_NOT_FOUND && opened.code != ERROR_PATH_NOT_FOUND;
}

std::optional<FILETIME> PinnedDirectory::LastWritten(U8String name) const
{
    const ChildOpen opened = OpenRelative(handle_.Get(), name, 0, shareAll, FILE_OPEN, anything);
    FILE_BASIC_INFO basic{};
    if (opened.code != 0 || !GetFileInformationByHandleEx(opened.file.Get(), FileBasicInfo, &basic, sizeof basic))
        return std::nullopt;
    return FILETIME{basic.LastWriteTime.LowPart, static_cast<DWORD>(basic.LastWriteTime.HighPart)};
}

FileFacts PinnedDirectory::CheckPlainFile(HANDLE file, const FileLocation& location) const
{
    const FileFacts facts = FactsOf(file, location);
    if (HasBit(facts.attributes, FILE_ATTRIBUTE_DIRECTORY))
        throw DirectoryFoundError(location, 0);
    if (HasBit(facts.attributes, FILE_ATTRIBUTE_REPARSE_POINT) || facts.links != 1 ||
        !FinalPathNames(FinalPathOf(file, location), location))
        throw LinkedFileError(location, 0);
    return facts;
}

UniqueFile PinnedDirectory::CreateNew(U8String name, DWORD access) const
{
    const FileLocation location = Child(name);
    ChildOpen made = OpenRelative(handle_.Get(), name, access | DELETE, FILE_SHARE_READ, FILE_CREATE, plainFile);
    if (made.code != 0) {
        if (made.code == ERROR_FILE_EXISTS || made.code == ERROR_ALREADY_EXISTS)
            throw FileFoundError(location, made.code);
        FailOpen(location, made.code);
    }
    try {
        CheckPlainFile(made.file.Get(), location);
    } catch (...) {
        // Ours, just made: it goes again. What the checks saw elsewhere stays untouched.
        DeleteByHandle(made.file.Get(), location);
        throw;
    }
    return std::move(made.file);
}

UniqueFile PinnedDirectory::OpenPlainFile(U8String name, DWORD access, DWORD share, FileFacts* facts) const
{
    const FileLocation location = Child(name);
    ChildOpen opened = OpenRelative(handle_.Get(), name, access, share, FILE_OPEN, plainFile);
    if (opened.code != 0)
        FailOpen(location, opened.code);
    const FileFacts checked = CheckPlainFile(opened.file.Get(), location);
    if (facts)
        *facts = checked;
    return std::move(opened.file);
}

void PinnedDirectory::RemovePlainFile(U8String name) const
{
    const FileLocation location = Child(name);
    const ChildOpen opened =
        OpenRelative(handle_.Get(), name, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, shareAll, FILE_OPEN, anything);
    if (opened.code == ERROR_FILE_NOT_FOUND)
        return;
    if (opened.code != 0)
        FailOpen(location, opened.code);
    CheckPlainFile(opened.file.Get(), location);
    ClearReadOnlyByHandle(opened.file.Get(), location);
    DeleteByHandle(opened.file.Get(), location);
}

void PinnedDirectory::Rename(HANDLE file, U8String from, U8String to, bool replace) const
{
    const CopiedU16String name = TranscodeU8ToU16(to);
    const std::size_t bytes = name.Length() * sizeof(wchar_t);
    // The name is a flexible array at the end of the record, relative to the held directory.
    std::vector<std::byte> record(sizeof(FILE_RENAME_INFORMATION) + bytes + sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(record.data());
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->RootDirectory = handle_.Get();
    rename->FileNameLength = static_cast<ULONG>(bytes);
    std::copy(name.Begin(), name.Begin() + name.Length(), rename->FileName);
    IO_STATUS_BLOCK status{};
    const NTSTATUS result = NtSetInformationFile(file, &status, rename, static_cast<ULONG>(record.size()),
                                                 static_cast<FILE_INFORMATION_CLASS>(10));  // FileRenameInformation
    if (result < 0) {
        const ULONG code = RtlNtStatusToDosError(result);
        throw FileMoveError(Child(from), Child(to), code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE);
    }
}
