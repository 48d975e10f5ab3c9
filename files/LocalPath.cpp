#include "files/LocalPath.h"

#include <array>
#include <cctype>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The names the system maps to a device in any folder, with or without an extension, and
// with blanks before it ("NUL .txt"): the system trims them before it compares. COM and LPT
// take a digit, or a superscript one, two or three ("COM\xC2\xB9", in UTF-8).
bool IsDeviceName(std::string_view component)
{
    std::string_view stem = component.substr(0, component.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    static constexpr std::array<std::string_view, 4> plain{"CON", "PRN", "AUX", "NUL"};
    auto equal = [](std::string_view a, std::string_view b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (std::toupper(static_cast<unsigned char>(a[i])) != b[i])
                return false;
        return true;
    };
    for (std::string_view name : plain)
        if (equal(stem, name))
            return true;
    if (stem.size() < 4 || !(equal(stem.substr(0, 3), "COM") || equal(stem.substr(0, 3), "LPT")))
        return false;
    const std::string_view number = stem.substr(3);
    if (number.size() == 1)
        return number[0] >= '0' && number[0] <= '9';
    return number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
}

const char* WhyNotComponent(std::string_view component)
{
    if (component.empty())
        return nullptr;  // a doubled separator: the system reads one
    if (component == "." || component == "..")
        return "a path with a \".\" or \"..\" component";
    for (const char c : component) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
            return "a path holding a character no name may hold";
    }
    if (component.back() == '.' || component.back() == ' ')
        return "a path whose component ends in a dot or a blank";
    if (IsDeviceName(component))
        return "a path through a device name";
    return nullptr;
}

}  // namespace

const char* WhyNotAbsoluteLocalPath(U8String text)
{
    std::string_view path = text.View();
    if (path.empty())
        return "an empty path";
    if (path.starts_with("\\\\?\\") || path.starts_with("\\??\\")) {
        path.remove_prefix(4);
        // Only a drive may follow the prefix; "UNC\", "GLOBALROOT", "Volume{...}" may not.
        if (path.size() < 2 || !IsLetter(path[0]) || path[1] != ':')
            return "a device path";
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return path.size() >= 4 && (path[2] == '.' || path[2] == '?') && IsSeparator(path[3]) ? "a device path"
                                                                                              : "a UNC path";
    }
    if (path.size() < 3 || !IsLetter(path[0]) || path[1] != ':' || !IsSeparator(path[2]))
        return "a relative path";
    std::string_view rest = path.substr(2);
    bool component = false;
    while (!rest.empty()) {
        while (!rest.empty() && IsSeparator(rest.front()))
            rest.remove_prefix(1);
        std::size_t end = 0;
        while (end < rest.size() && !IsSeparator(rest[end]))
            ++end;
        if (const char* why = WhyNotComponent(rest.substr(0, end)))
            return why;
        component = component || end != 0;
        rest.remove_prefix(end);
    }
    if (!component)
        return "a drive's root";
    return nullptr;
}
