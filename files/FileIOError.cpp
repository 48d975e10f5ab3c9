#include "files/FileIOError.h"

#include "errors/WindowsError.h"
#include "files/FileLocation.h"
#include "text/CodePageConversion.h"
#include "text/Format.h"

FileIOError::FileIOError(std::uint32_t code) : details_(std::make_unique<FileErrorDetails>())
{
    details_->code = code;
}

FileIOError::FileIOError(const FileLocation& location, std::uint32_t code) : FileIOError(code)
{
    details_->firstLocation = CopiedU8String(location.Text());
}

FileIOError::FileIOError(const FileLocation& first, const FileLocation& second, std::uint32_t code)
    : FileIOError(first, code)
{
    details_->secondLocation = CopiedU8String(second.Text());
}

FileIOError::FileIOError(const FileIOError& other)
    : DebuggableException(other), details_(std::make_unique<FileErrorDetails>())
{
    details_->code = other.details_->code;
    details_->firstLocation = other.details_->firstLocation;
    details_->secondLocation = other.details_->secondLocation;
}

void FileIOError::BuildMessage() const
{
    const CopiedU8String className = ConvertACPToUTF8(ReadableTypeName(typeid(*this)));
    CopiedU8String message = Format("File error \"{e}\"", className);
    if (!details_->firstLocation.Empty())
        message = Format("{s} on \"{p}\"", message, details_->firstLocation);
    if (!details_->secondLocation.Empty())
        message = Format("{s} and \"{p}\"", message, details_->secondLocation);
    if (details_->code != 0)
        message = Format("{s} : \"{e}\"", message, WindowsErrorText(details_->code));
    details_->message = std::move(message);
}

U8String FileIOError::Description() const
{
    try {
        if (details_->message.Empty())
            BuildMessage();
        return details_->message;
    } catch (...) {
        return DebuggableException::Description();
    }
}

const char* FileIOError::what() const noexcept
{
    return DescriptionWhat(details_->narrowMessage);
}
