#include "run/ResponseExport.h"

#include "compliance/ComplianceSession.h"
#include "compliance/Registry.h"
#include "errors/ExceptionPL.h"
#include "files/FileCopy.h"
#include "files/DirectorySecurity.h"
#include "files/FileHandleOperations.h"
#include "files/FileIOError.h"
#include "files/RandomName.h"
#include "files/FileIdentity.h"
#include "text/CodePageConversion.h"
#include "errors/WindowsError.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"

#include <algorithm>
#include <cwchar>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace {

// The process id in "<name>.<digits>-<random>.verimark-tmp" (or "<name>.<digits>.verimark-tmp",
// as earlier versions named them), if the name is of that form.
std::optional<DWORD> TemporaryOwner(std::wstring_view name)
{
    constexpr std::wstring_view suffix = L".verimark-tmp";
    if (name.size() <= suffix.size() || name.substr(name.size() - suffix.size()) != suffix)
        return std::nullopt;
    name.remove_suffix(suffix.size());
    if (const std::size_t dash = name.rfind(L'-'); dash != std::wstring_view::npos && name.size() - dash == 17 &&
                                                   name.find(L'.', dash) == std::wstring_view::npos) {
        for (const wchar_t c : name.substr(dash + 1))
            if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f')))
                return std::nullopt;
        name = name.substr(0, dash);
    }
    const std::size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos || dot + 1 == name.size() || name.size() - dot > 11)
        return std::nullopt;
    std::uint64_t id = 0;
    for (const wchar_t c : name.substr(dot + 1)) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        id = id * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    return id <= 0xFFFFFFFF ? std::optional<DWORD>(static_cast<DWORD>(id)) : std::nullopt;
}

// Whether no process with that id runs now. Only a refusal that says so counts: a process
// this account may not look at is treated as running.
bool ProcessGone(DWORD id)
{
    if (id == GetCurrentProcessId())
        return false;
    const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    if (!process)
        return GetLastError() == ERROR_INVALID_PARAMETER;
    return WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
}

}  // namespace

unsigned RemoveAbandonedTemporaries(const PinnedDirectory& folder)
{
    unsigned removed = 0;
    WIN32_FIND_DATAW data;
    const std::wstring pattern = std::wstring(NativePath(folder.Location()).StringView()) + L"\\*.verimark-tmp";
    const UniqueFind find(FindFirstFileW(pattern.c_str(), &data));
    if (!find)
        return 0;
    do {
        // Plain files only: a link or a folder of that name is nobody's temporary.
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const std::optional<DWORD> owner = TemporaryOwner(data.cFileName);
        if (!owner || !ProcessGone(*owner))
            continue;
        try {
            // Through the held folder, and only if it is still a plain file with one name.
            folder.RemovePlainFile(TranscodeU16ToU8(U16String(std::wstring_view(data.cFileName))));
            ++removed;
        } catch (const FileIOError&) {
        }
    } while (FindNextFileW(find.Get(), &data));
    return removed;
}

namespace {

// The folder the export goes into, held open, and the file's name in it. An elevated
// process follows no link on the way: a user who may write in a folder of the path could
// otherwise send it, and the replacement of a file, anywhere. Any other process may be sent
// only where its user may write anyway; a link is followed once, and the folder it leads
// to is then held.
struct ExportPlace {
    std::optional<PinnedDirectory> folder;
    CopiedU8String name;
};

std::wstring FullPath(const std::wstring& path)
{
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) {
            const DWORD code = GetLastError();
            throw FileIOError(FileLocation(TranscodeU16ToU8(U16String(std::wstring_view(path)))), code != ERROR_SUCCESS ? code : ERROR_INVALID_NAME);
        }
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        full.resize(n);
    }
}

// The folder a link leads to, as the system resolves it.
FileLocation Resolved(const FileLocation& folder)
{
    const CopiedU16String path = NativePath(folder);
    const UniqueFile opened(CreateFileW(path.Begin(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!opened) {
        const DWORD code = GetLastError();
        throw FileIOError(folder, code);
    }
    const std::wstring final = FinalPathOf(opened.Get(), folder);
    return FileLocation(TranscodeU16ToU8(U16String(std::wstring_view(final))));
}

// A drive letter that stands for another place: a mapped network drive, or a folder
// substituted for a drive (subst). What is said of it, or nothing for a plain drive.
std::optional<std::string> DriveStandsForElsewhere(const std::wstring& path)
{
    if (path.size() < 2 || path[1] != L':')
        return std::nullopt;
    const std::wstring drive = path.substr(0, 2);
    const std::string name = NarrowReplacing(std::wstring_view(drive));
    if (GetDriveTypeW((drive + L"\\").c_str()) == DRIVE_REMOTE)
        return "it is on " + name +
               ", a mapped network drive, whose folders an elevated process cannot tell from a link's: name the "
               "folder by its network path (\\\\server\\share\\...)";
    wchar_t target[MAX_PATH + 1] = {};
    if (QueryDosDeviceW(drive.c_str(), target, MAX_PATH) && std::wstring_view(target).starts_with(L"\\??\\"))
        return "it is on " + name + ", a drive substituted for " + NarrowReplacing(std::wstring_view(target + 4)) +
               " (subst), whose folders an elevated process cannot tell from a link's: name the folder by that path";
    return std::nullopt;
}

bool Elevated()
{
    try {
        return ProcessIsElevated();
    } catch (...) {
        return true;  // the stricter rules when it cannot be told
    }
}

ExportPlace PlaceOf(const std::wstring& path)
{
    const std::wstring full = FullPath(path);
    const std::size_t separator = full.find_last_of(L"\\/");
    if (separator == std::wstring::npos || separator + 1 == full.size())
        throw ExceptionPL(U8String("it names a folder, not a file"));
    std::wstring folderPath = full.substr(0, separator);
    if (folderPath.size() == 2 && folderPath[1] == L':')
        folderPath += L'\\';  // a drive's root
    ExportPlace place{std::nullopt, TranscodeU16ToU8(U16String(std::wstring_view(full).substr(separator + 1)))};
    const FileLocation folder(TranscodeU16ToU8(U16String(std::wstring_view(folderPath))));
    if (!Elevated()) {
        place.folder.emplace(Resolved(folder));
        return place;
    }
    try {
        place.folder.emplace(folder);
    } catch (const LinkedFileError&) {
        if (const std::optional<std::string> words = DriveStandsForElsewhere(folderPath))
            throw ExceptionPL(U8String(std::string_view(*words)));
        throw ExceptionPL(U8String("its folder is a link or a mount point, or is reached through one, "
                                   "and an elevated process follows none"));
    }
    return place;
}

// Whether the held folder is one of the agent's exchange folders (as the registry names
// them now) or inside one: judged by file identity, the folder and each folder above it as
// the system resolves them, never by comparing the text given. A file of ours there could
// be taken for a request or an answer, or stop the agent's next exchange.
bool InsideAnExchangeFolder(const PinnedDirectory& folder)
{
    std::vector<FileIdentity> exchange;
    for (const wchar_t* value : {L"RequestDir", L"ResponseDir"}) {
        try {
            if (const std::optional<CopiedU8String> text = ReadRegistryString(ApiKeyPath, value); text && !text->Empty())
                if (const std::optional<FileIdentity> identity = IdentityOf(FileLocation(*text)))
                    exchange.push_back(*identity);
        } catch (const std::exception&) {
            // A value that names no usable folder has nothing inside it.
        }
    }
    if (exchange.empty())
        return false;
    const auto isExchange = [&](const std::optional<FileIdentity>& identity) {
        return identity && std::find(exchange.begin(), exchange.end(), *identity) != exchange.end();
    };
    if (isExchange(IdentityOf(folder.Handle())))
        return true;
    std::wstring path = FinalPathOf(folder.Handle(), folder.Location());
    for (std::size_t separator; (separator = path.find_last_of(L'\\')) != std::wstring::npos && separator > 7;) {
        path.resize(separator);
        if (isExchange(IdentityOf(FileLocation(TranscodeU16ToU8(U16String(std::wstring_view(path)))))))
            return true;
    }
    return false;
}

}  // namespace

void ExportAnswer(const _bstr_t& outputPath, const std::optional<FileLocation>& answer,
                  const std::function<void(DataReceiver&)>& produce)
{
    const wchar_t* wide = static_cast<const wchar_t*>(outputPath);
    const FileLocation target(TranscodeU16ToU8({wide, wide ? wide + outputPath.length() : wide}));
    // Whatever is at the output path stays until a complete copy replaces it; a directory
    // is never replaced, and the agent's own answer (by whatever name) never touched.
    const std::uint32_t attributes = target.Attributes();
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw ExceptionPL(U8String("it is a directory"));
    if (answer && SameFile(target, *answer))
        throw ExceptionPL(U8String("it is the agent's response document itself"));
    const ExportPlace place = PlaceOf(std::wstring(wide ? wide : L"", outputPath.length()));
    if (InsideAnExchangeFolder(*place.folder))
        throw ExceptionPL(U8String("it is in one of the agent's exchange folders (\"RequestDir\" or \"ResponseDir\"), "
                                   "where only the agent's requests and answers belong"));
    RemoveAbandonedTemporaries(*place.folder);
    SilentFileRetryLog log;
    WriteFileIntoPlace(*place.folder, place.name, produce, log);
}

void ExportResponseFile(const _bstr_t& outputPath)
{
    const ComplianceSession& session = ComplianceSession::Process();
    ExportAnswer(outputPath, session.ResponseLocation(), [&](DataReceiver& sink) { session.CopyResponse(sink); });
}

std::string FailureReason(const std::exception& e)
{
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return "there was not enough memory";
    if (dynamic_cast<const NamesTakenError*>(&e))
        return "each of " + std::to_string(randomNameAttempts) +
               " names nobody could guess was already taken there: something in that folder makes files under the "
               "names this tool uses";
    if (const auto* file = dynamic_cast<const FileIOError*>(&e); file && file->Code() != 0)
        return std::string(SystemMessageText(file->Code()).StringView());
    return std::string(ConvertACPToUTF8(U8String(std::string_view(e.what()))).StringView());
}
