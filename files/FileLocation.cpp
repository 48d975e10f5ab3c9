#include "files/FileLocation.h"

#include "files/FileIOError.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

LocationRoot AnalyseRoot(U8String text)
{
    LocationRoot result;
    const std::size_t n = text.Length();
    if (n == 1 && IsSeparator(*text.first)) {
        result.root = result.absolute = 1;
        return result;
    }
    if (n < 2)
        return result;
    const char c0 = text.first[0], c1 = text.first[1];
    if (((c0 >= 'A' && c0 <= 'Z') || (c0 >= 'a' && c0 <= 'z')) && c1 == ':') {
        result.drive = result.absolute = 1;
        result.root = n == 2;
        result.driveText = CopiedU8String(U8String(text.first, text.first + 2));
    } else if (c0 == '\\') {
        result.absolute = 1;
        if (c1 == '\\') {
            result.unc = 1;
            result.root = 1;
            for (const char* p = text.first + 2; p != text.last; ++p)
                if (IsSeparator(*p))
                    result.root = 0;
        }
    } else if (c0 == '/') {
        result.absolute = 1;
    }
    return result;
}

FileLocation::FileLocation(U8String text)
{
    if (text.Length() >= 2 && IsSeparator(text.last[-1]))
        --text.last;
    text_ = CopiedU8String(text);
}

FileLocation FileLocation::Child(const FileLocation& directory, U8String name)
{
    if (directory.Empty())
        throw EmptyFileLocationError();
    while (!name.Empty() && IsSeparator(*name.first))
        ++name.first;
    while (!name.Empty() && IsSeparator(name.last[-1]))
        --name.last;
    if (name.Empty())
        return directory;
    FileLocation child;
    child.text_ = CopiedU8String::WithCapacity(directory.text_.Length() + 1 + static_cast<std::uint32_t>(name.Length()));
    child.text_.Append(directory.text_);
    if (!IsSeparator(directory.text_.End()[-1]))
        child.text_.Append("\\");
    child.text_.Append(name);
    return child;
}

bool FileLocation::IsRoot() const
{
    if (Empty())
        throw EmptyFileLocationError();
    return AnalyseRoot(text_).root;
}

FileLocation FileLocation::Parent() const
{
    if (IsRoot())
        throw RootHasNoParent(*this, 0);
    const char* separator = nullptr;
    for (const char* p = text_.Begin(); p != text_.End(); ++p)
        if (IsSeparator(*p))
            separator = p;
    if (!separator)
        throw InvalidFileLocation(*this, 0);
    if (separator == text_.Begin())
        return FileLocation(U8String("\\"));
    return FileLocation(text_.Begin(), separator);
}
