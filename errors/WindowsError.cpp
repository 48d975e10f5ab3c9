#include "errors/WindowsError.h"

#include "errors/LocalMemoryHolder.h"
#include "text/Format.h"
#include "text/Numerals.h"
#include "text/StringAlgorithms.h"
#include "text/Transcoding.h"
#include "text/Win32.h"

std::wstring SystemMessage(std::uint32_t code, Windows::ModuleHandle module, std::uint16_t language)
{
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    if (module)
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(flags, module, code, language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    LocalMemoryHolder holder(buffer);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
    holder.Reset();
    return text;
}

CopiedU8String SystemMessageText(std::uint32_t code, Windows::ModuleHandle module)
{
    const std::wstring message = SystemMessage(code, module);
    if (message.empty())
        return CopiedU8String(Format("unknown error 0x{code}", FormatHex32(code, 1)));
    return CopiedU8String(TrimAsciiWhitespace(TranscodeU16ToU8(std::wstring_view(message))));
}

namespace {

CopiedU8String DescribeCode(U8String templateText, std::uint32_t code, Windows::ModuleHandle module)
{
    const CopiedU8String message = SystemMessageText(code, module);
    return Format(templateText, FormatHex32(code, 1), message);
}

}  // namespace

CopiedU8String WindowsErrorText(std::uint32_t code)
{
    return DescribeCode("Windows Error 0x{e}%: {s}", code, nullptr);
}

namespace Windows {

U8String Error::Description() const
{
    if (description_.Empty()) {
        CopiedU8String description = DescribeCode("Windows Error 0x{err}: {msg}", code_, module_);
        // The NUL stays part of the description, so the narrow text converted from it ends in one.
        description.Append(U8String(std::string_view("\0", 1)));
        description_ = std::move(description);
    }
    return description_;
}

const char* Error::what() const noexcept
{
    return DescriptionWhat(narrow_);
}

}  // namespace Windows

void ThrowIfWindowsError(std::uint32_t code, Windows::ModuleHandle module)
{
    if (code != 0)
        throw Windows::Error(code, module);
}

void ThrowLastWindowsError(Windows::ModuleHandle module)
{
    ThrowIfWindowsError(GetLastError(), module);
}

void ThrowLastWindowsErrorIfFalse(int ok, Windows::ModuleHandle module)
{
    if (!ok)
        ThrowLastWindowsError(module);
}
