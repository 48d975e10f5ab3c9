#include "files/FileHandleOperations.h"

#include "files/FileErrorTables.h"
#include "files/FileIOError.h"
#include "text/Transcoding.h"

#include <optional>
#include <vector>

namespace {

[[noreturn]] void Fail(const FileLocation& location, DWORD code)
{
    ThrowHandleError(location, code);
    throw FileIOError(location, code);
}

// The comparable form: no "\\?\" prefix, backslashes only, no doubled or trailing one;
// a network path ("\\?\UNC\server\share" or "\\server\share") keeps its leading pair.
std::wstring Comparable(std::wstring_view path)
{
    std::wstring result;
    result.reserve(path.size() + 2);
    if (path.starts_with(L"\\\\?\\UNC\\") || path.starts_with(L"\\??\\UNC\\")) {
        path.remove_prefix(8);
        result = L"\\\\";
    } else if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\??\\")) {
        path.remove_prefix(4);
    } else if (path.starts_with(L"\\\\") || path.starts_with(L"//")) {
        path.remove_prefix(2);
        result = L"\\\\";
    }
    const std::size_t lead = result.size();
    for (wchar_t c : path) {
        if (c == L'/')
            c = L'\\';
        if (c == L'\\' && result.size() > lead && result.back() == L'\\')
            continue;
        if (c == L'\\' && result.size() == lead && lead != 0)
            continue;  // more backslashes before the server's name: the pair is there already
        result += c;
    }
    while (result.size() > 3 && result.back() == L'\\')
        result.pop_back();
    if (result.size() == 2 && result[1] == L':')
        result += L'\\';  // a drive's root, as a location spells it
    return result;
}

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace

FileFacts FactsOf(HANDLE file, const FileLocation& location)
{
    // Two small queries rather than GetFileInformationByHandle, which also asks for the
    // volume's serial number: under Wine that alone costs a millisecond.
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
        !GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard)) {
        const DWORD code = GetLastError();
        Fail(location, code);
    }
    FileFacts facts;
    facts.attributes = basic.FileAttributes;
    facts.links = standard.NumberOfLinks;
    facts.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
    facts.lastWrite.dwLowDateTime = static_cast<DWORD>(basic.LastWriteTime.QuadPart & 0xFFFFFFFF);
    facts.lastWrite.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(basic.LastWriteTime.QuadPart) >> 32);
    return facts;
}

namespace {

// Wine's GetFinalPathNameByHandleW fails with ERROR_MORE_DATA for a name longer than
// MAX_PATH, whatever the buffer (Windows gives the size it needs). The file's name within
// its volume then comes from FileNameInfo, on the drive the location names, when that
// drive is the file's volume.
std::optional<std::wstring> NameOnTheLocationsDrive(HANDLE file, const FileLocation& location)
{
    const CopiedU16String native = NativePath(location);
    std::wstring_view text = native.StringView();
    if (text.starts_with(L"\\\\?\\"))
        text.remove_prefix(4);
    if (text.size() < 3 || text[1] != L':' || text[2] != L'\\')
        return std::nullopt;
    const wchar_t root[] = {text[0], L':', L'\\', L'\0'};
    DWORD serial = 0;
    BY_HANDLE_FILE_INFORMATION facts{};
    if (!GetVolumeInformationW(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0) ||
        !GetFileInformationByHandle(file, &facts) || facts.dwVolumeSerialNumber != serial)
        return std::nullopt;
    std::vector<char> buffer(sizeof(FILE_NAME_INFO) + 32768 * sizeof(wchar_t));
    if (!GetFileInformationByHandleEx(file, FileNameInfo, buffer.data(), static_cast<DWORD>(buffer.size())))
        return std::nullopt;
    const auto* name = reinterpret_cast<const FILE_NAME_INFO*>(buffer.data());
    return L"\\\\?\\" + std::wstring(root, 2) + std::wstring(name->FileName, name->FileNameLength / sizeof(wchar_t));
}

}  // namespace

std::wstring FinalPathOf(HANDLE file, const FileLocation& location)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) {
            const DWORD code = GetLastError();
            if (code == ERROR_MORE_DATA)
                if (std::optional<std::wstring> name = NameOnTheLocationsDrive(file, location))
                    return *name;
            Fail(location, code);
        }
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(n);  // n counts the terminator when the buffer was too small
    }
}

bool FinalPathNames(std::wstring_view final, const FileLocation& location)
{
    const std::wstring final_ = Comparable(final);
    const CopiedU16String named = NativePath(location);
    std::wstring configured = Comparable(named.StringView());
    if (SameIgnoringCase(final_, configured))
        return true;
    // An 8.3 short name in the configured text: compare its long form too.
    const std::wstring query = std::wstring(named.StringView());
    const DWORD n = GetLongPathNameW(query.c_str(), nullptr, 0);
    if (n == 0)
        return false;
    std::wstring longForm(n, L'\0');
    const DWORD got = GetLongPathNameW(query.c_str(), longForm.data(), n);
    if (got == 0 || got >= n)
        return false;
    longForm.resize(got);
    return SameIgnoringCase(final_, Comparable(longForm));
}

void DeleteByHandle(HANDLE file, const FileLocation& location)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition)) {
        const DWORD code = GetLastError();
        ThrowLocationError(location, code);
        throw FileIOError(location, code);
    }
}

void ClearReadOnlyByHandle(HANDLE file, const FileLocation& location)
{
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
        const DWORD code = GetLastError();
        Fail(location, code);
    }
    if (!(basic.FileAttributes & FILE_ATTRIBUTE_READONLY))
        return;
    basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
    if (basic.FileAttributes == 0)
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    // Zero times leave the file's times as they are.
    basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;
    basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
    if (!SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic)) {
        const DWORD code = GetLastError();
        Fail(location, code);
    }
}
