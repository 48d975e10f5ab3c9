#include "files/tests/ScratchDirectory.h"

#include "files/FileIOError.h"
#include "files/tests/Links.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"
#include "text/WholeFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace {

// The system's spelling, with the extended prefix for the long paths some tests make.
std::wstring Native(const FileLocation& location)
{
    return std::wstring(NativePath(location).StringView());
}

void RemoveTree(const std::wstring& path)
{
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES || RemoveTreeOnTheUnixSide(path))
        return;
    WIN32_FIND_DATAW data;
    const UniqueFind find(FindFirstFileW((path + L"\\*").c_str(), &data));
    if (find) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A link some test made: it goes, what it points to stays.
                RemoveSymbolicLink(FileLocation(TranscodeU16ToU8(std::wstring_view(child))));
                continue;
            }
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find.Get(), &data));
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

}  // namespace

ScratchDirectory::ScratchDirectory()
{
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH)
        throw std::runtime_error("no temporary folder");
    const std::wstring path = std::wstring(temp, n) + L"verimark-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(counter++);
    RemoveTree(path);
    if (!CreateDirectoryW(path.c_str(), nullptr))
        throw std::runtime_error("cannot create the scratch directory");
    root_ = FileLocation(TranscodeU16ToU8(std::wstring_view(path)));
}

ScratchDirectory::~ScratchDirectory()
{
    // The extended form reaches the long paths some tests leave behind.
    RemoveTree(L"\\\\?\\" + std::wstring(TranscodeU8ToU16(root_.Text()).StringView()));
}

void WriteWholeFile(const FileLocation& location, std::string_view bytes)
{
    UniqueFile file(CreateFileW(Native(location).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        throw std::runtime_error("cannot create test file");
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw std::runtime_error("cannot write test file");
}

std::string ReadWholeFile(const FileLocation& location)
{
    std::optional<std::string> bytes = ReadAllOf(Native(location), FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!bytes)
        throw std::runtime_error("cannot open test file");
    return std::move(*bytes);
}

unsigned long AttributesOf(const FileLocation& location)
{
    return GetFileAttributesW(Native(location).c_str());
}

void SetAttributesOf(const FileLocation& location, unsigned long attributes)
{
    if (!SetFileAttributesW(Native(location).c_str(), attributes))
        throw std::runtime_error("cannot set attributes");
}

std::wstring Wide(const FileLocation& location)
{
    return std::wstring(TranscodeU8ToU16(location.Text()).StringView());
}

std::set<std::wstring> NamesIn(const FileLocation& directory)
{
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    const UniqueFind find(FindFirstFileW((Wide(directory) + L"\\*").c_str(), &data));
    if (!find)
        return names;
    do {
        if (data.cFileName != std::wstring(L".") && data.cFileName != std::wstring(L".."))
            names.insert(data.cFileName);
    } while (FindNextFileW(find.Get(), &data));
    return names;
}
