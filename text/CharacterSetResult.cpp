#include "text/CharacterSetResult.h"

#include "errors/WindowsError.h"
#include "text/CodePageConversion.h"
#include "text/Numerals.h"
#include "text/Transcoding.h"
#include "text/Win32.h"

#include <algorithm>
#include <iterator>

namespace {

struct IcuName {
    std::int32_t code;
    const char* name;
};

// Every named code of ICU's published ranges, kept in the sources (see the generator).
constexpr IcuName icuNames[] = {
#include "text/IcuErrorNames.inc"
};

std::string Decimal(std::int32_t code)
{
    return std::string(FormatDecimal32(static_cast<std::uint32_t>(code), 1).View());
}

}  // namespace

const char* IcuErrorName(std::int32_t code) noexcept
{
    const auto* found = std::lower_bound(std::begin(icuNames), std::end(icuNames), code,
                                         [](const IcuName& entry, std::int32_t c) { return entry.code < c; });
    return found != std::end(icuNames) && found->code == code ? found->name : "[BOGUS UErrorCode]";
}

bool ICUResult::Succeeded() const { return code_ <= 0; }
std::int32_t ICUResult::Code() const { return code_; }
std::string ICUResult::CodeName() const { return IcuErrorName(Code()); }

std::string ICUResult::ComposeMessage() const
{
    std::string message = "UErrorCode=" + Decimal(Code()) + " [" + CodeName() + "]";
    if (!location_.empty())
        message += " in " + location_;
    return message;
}

const char* ICUResult::what() const noexcept
{
    return KeptWhat(message_, [this] { return ComposeMessage(); });
}

U8String ICUResult::Description() const
{
    return U8String(what());
}

std::string CharacterSetResult::Heading(const char* className) const
{
    std::string heading = className;
    if (!characterSet_.empty())
        heading += " " + characterSet_ + ":";
    return heading;
}

std::string CharacterSetResult::ComposeMessage() const
{
    std::string message = Heading("CharacterSetResult:") + " " + ICUResult::ComposeMessage();
    if (!offendingText_.empty())
        message += " [\"" + offendingText_ + "\"]";
    return message;
}

const char* CharacterSetResult::what() const noexcept
{
    return KeptWhat(characterSetMessage_, [this] { return ComposeMessage(); });
}

std::string WindowsCharacterSetResult::CodeName() const
{
    // The system's English text, in the ANSI code page as what() is.
    const std::wstring message = SystemMessage(windowsError_, nullptr, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    std::string text(ConvertUTF8ToACP(TranscodeU16ToU8(std::wstring_view(message))).StringView());
    // Cut at the last CR LF, searching backwards from the second-to-last byte.
    for (std::size_t i = text.size() >= 2 ? text.size() - 1 : 0; i-- > 0;) {
        if (text[i] == '\r' && text[i + 1] == '\n') {
            text.resize(i);
            break;
        }
    }
    return text;
}

std::string WindowsCharacterSetResult::ComposeMessage() const
{
    std::string message =
        Heading("WindowsCharacterSetResult:") + " Error " + Decimal(Code()) + " (" + CodeName() + ")";
    if (!location_.empty())
        message += " in " + location_;
    return message;
}
