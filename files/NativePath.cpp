// The parts of file locations that ask Windows: attributes and the UTF-16 path.
#include "files/FileIOError.h"
#include "files/FileLocation.h"
#include "text/StringAlgorithms.h"
#include "text/Transcoding.h"
#include "text/Win32.h"

std::uint32_t FileLocation::Attributes() const
{
    if (Empty())
        return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesW(NativePath(*this).Begin());
}

bool FileLocation::IsDirectory() const
{
    const std::uint32_t attributes = Attributes();
    if (attributes == INVALID_FILE_ATTRIBUTES)
        throw InvalidFileAttrs(0);
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileLocation::IsFile() const
{
    return !IsDirectory();
}

namespace {

bool EndsWith(U16String text, std::wstring_view suffix)
{
    return text.Length() >= suffix.size() && text.View().substr(text.Length() - suffix.size()) == suffix;
}

bool Contains(U16String text, std::wstring_view part)
{
    return Find(text, U16String(part)) != text.last;
}

}  // namespace

CopiedU16String NativePath(const FileLocation& location, std::uint32_t limit)
{
    const U8String text = location.Text();
    // Already in the extended-length or the device form: the system takes it as it is.
    const std::string_view view = text.View();
    if (view.starts_with("\\\\?\\") || view.starts_with("\\\\.\\"))
        return Terminated(TranscodeU8ToU16(text));
    if (text.Length() < limit)
        return Terminated(TranscodeU8ToU16(text));
    const LocationRoot root = AnalyseRoot(text);
    if (!root.drive && !root.unc)
        return Terminated(TranscodeU8ToU16(text));
    CopiedU16String wide = TranscodeU8ToU16(text);
    if (wide.Length() < limit)
        return Terminated(std::move(wide));
    CopiedU16String path = ReplaceAll(wide, std::wstring_view(L"/"), std::wstring_view(L"\\"));
    // The extended-length form skips the system's resolution of "." and "..".
    if (Contains(path, L"\\..\\") || Contains(path, L"\\.\\") || EndsWith(path, L"\\.") || EndsWith(path, L"\\.."))
        return Terminated(std::move(path));
    if (root.unc)
        return Terminated(Concatenate(std::wstring_view(L"\\\\?\\UNC"), U16String(path.Begin() + 1, path.End())));
    return Terminated(Concatenate(std::wstring_view(L"\\\\?\\"), path));
}
