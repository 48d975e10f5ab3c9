#include "agent/AnswerFiles.h"

#include "text/UniqueResource.h"
#include "text/WholeFile.h"

std::optional<std::string> ReadWhole(const std::wstring& path)
{
    // Not shared with writers: a file still being written is not there yet.
    return ReadAllOf(path, FILE_SHARE_READ | FILE_SHARE_DELETE);
}

bool WriteWhole(const std::wstring& path, std::string_view bytes)
{
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool Publish(const std::wstring& directory, std::string_view document)
{
    const std::wstring temp = directory + L"\\response.xml.tmp", final = directory + L"\\response.xml";
    return WriteWhole(temp, document) && MoveFileExW(temp.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool WriteInPlace(const std::wstring& directory, std::string_view document)
{
    return WriteWhole(directory + L"\\response.xml", document);
}

void RemoveUnpublished(const std::wstring& directory)
{
    DeleteFileW((directory + L"\\response.xml.tmp").c_str());
}
