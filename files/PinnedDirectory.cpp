#include "files/PinnedDirectory.h"

#include "files/FileErrorTables.h"
#include "files/FileHandleOperations.h"
#include "files/FileIOError.h"

namespace {

[[noreturn]] void FailOpen(const FileLocation& location, DWORD code)
{
    ThrowHandleError(location, code);
    throw FileIOError(location, code);
}

bool HasBit(DWORD attributes, DWORD bit) { return (attributes & bit) != 0; }

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
    return Child(name).Attributes() != INVALID_FILE_ATTRIBUTES;
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
    // The path outlives the call: the last error is read before anything is freed.
    const CopiedU16String path = NativePath(location);
    UniqueFile file(CreateFileW(path.Begin(), access | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | NoImpersonation, nullptr));
    if (!file) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)
            throw FileFoundError(location, code);
        FailOpen(location, code);
    }
    try {
        CheckPlainFile(file.Get(), location);
    } catch (...) {
        // Ours, just made: it goes again. What the checks saw elsewhere stays untouched.
        DeleteByHandle(file.Get(), location);
        throw;
    }
    return file;
}

UniqueFile PinnedDirectory::OpenPlainFile(U8String name, DWORD access, DWORD share, FileFacts* facts) const
{
    const FileLocation location = Child(name);
    const CopiedU16String path = NativePath(location);
    UniqueFile file(CreateFileW(path.Begin(), access, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | NoImpersonation, nullptr));
    if (!file) {
        const DWORD code = GetLastError();
        FailOpen(location, code);
    }
    const FileFacts checked = CheckPlainFile(file.Get(), location);
    if (facts)
        *facts = checked;
    return file;
}

void PinnedDirectory::RemovePlainFile(U8String name) const
{
    const FileLocation location = Child(name);
    const CopiedU16String path = NativePath(location);
    UniqueFile file(CreateFileW(path.Begin(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS | NoImpersonation, nullptr));
    if (!file) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND)
            return;
        FailOpen(location, code);
    }
    CheckPlainFile(file.Get(), location);
    ClearReadOnlyByHandle(file.Get(), location);
    DeleteByHandle(file.Get(), location);
}
