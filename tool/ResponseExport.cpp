#include "tool/ResponseExport.h"

#include "compliance/ComplianceSession.h"
#include "errors/ExceptionPL.h"
#include "files/FileCopy.h"
#include "files/FileIdentity.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"

#include <cwchar>
#include <optional>
#include <string>

namespace {

// The process id in "<name>.<digits>.verimark-tmp", if the name is of that form.
std::optional<DWORD> TemporaryOwner(std::wstring_view name)
{
    constexpr std::wstring_view suffix = L".verimark-tmp";
    if (name.size() <= suffix.size() || name.substr(name.size() - suffix.size()) != suffix)
        return std::nullopt;
    name.remove_suffix(suffix.size());
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

unsigned RemoveAbandonedTemporaries(const std::wstring& folder)
{
    unsigned removed = 0;
    WIN32_FIND_DATAW data;
    const UniqueFind find(FindFirstFileW((folder + L"\\*.verimark-tmp").c_str(), &data));
    if (!find)
        return 0;
    do {
        // Plain files only: a link or a folder of that name is nobody's temporary.
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const std::optional<DWORD> owner = TemporaryOwner(data.cFileName);
        if (owner && ProcessGone(*owner) && DeleteFileW((folder + L"\\" + data.cFileName).c_str()))
            ++removed;
    } while (FindNextFileW(find.Get(), &data));
    return removed;
}

void ExportResponseFile(const _bstr_t& outputPath)
{
    const wchar_t* wide = static_cast<const wchar_t*>(outputPath);
    const FileLocation target(TranscodeU16ToU8({wide, wide ? wide + outputPath.length() : wide}));
    const ComplianceSession& session = ComplianceSession::Process();
    // Whatever is at the output path stays until a complete copy replaces it; a directory
    // is never replaced, and the agent's own answer (by whatever name) never touched.
    const std::uint32_t attributes = target.Attributes();
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw ExceptionPL(U8String("it is a directory"));
    if (const std::optional<FileLocation> answer = session.ResponseLocation(); answer && SameFile(target, *answer))
        throw ExceptionPL(U8String("it is the agent's response document itself"));
    const std::wstring path(wide ? wide : L"", outputPath.length());
    if (const std::size_t separator = path.find_last_of(L"\\/"); separator != std::wstring::npos)
        RemoveAbandonedTemporaries(path.substr(0, separator));
    SilentFileRetryLog log;
    WriteFileIntoPlace(target, [&](DataReceiver& sink) { session.CopyResponse(sink); }, log);
}
