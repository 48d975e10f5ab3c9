#include "run/MarkupText.h"

#include <algorithm>

namespace {

constexpr char digits[] = "0123456789abcdef";

void Hex(std::string& out, unsigned char c)
{
    out += "\\x";
    out += digits[c >> 4];
    out += digits[c & 0xF];
}

// The length of the well-formed UTF-8 sequence at the start of `text` (1 to 4), or 0.
std::size_t SequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t more = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() <= more || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i <= more; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return more + 1;
}

void AppendMarkup(std::string& out, std::string_view utf8)
{
    for (std::size_t i = 0; i < utf8.size();) {
        const char c = utf8[i];
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            const std::size_t length = SequenceLength(utf8.substr(i));
            if (length == 0) {
                Hex(out, u);
                ++i;
            } else if (length == 3 && u == 0xEF && utf8[i + 1] == '\xBF' &&
                       (utf8[i + 2] == '\xBE' || utf8[i + 2] == '\xBF')) {
                out += utf8[i + 2] == '\xBE' ? "\\uFFFE" : "\\uFFFF";
                i += 3;
            } else {
                out.append(utf8.data() + i, length);
                i += length;
            }
            continue;
        }
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '\t': out += "&#9;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        default:
            if (u < 0x20)
                Hex(out, u);
            else
                out += c;
        }
        ++i;
    }
}

}  // namespace

std::string MarkupText(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    AppendMarkup(out, utf8);
    return out;
}

void WriteMarkup(ReportSink& sink, std::string_view utf8)
{
    constexpr std::size_t piece = 65536;
    std::string escaped;
    while (!utf8.empty()) {
        std::size_t end = std::min(piece, utf8.size());
        // A piece ends before a character, never inside one (at most three bytes back).
        for (std::size_t back = 0; end < utf8.size() && back < 3 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80;
             ++back)
            --end;
        escaped.clear();
        AppendMarkup(escaped, utf8.substr(0, end));
        sink.Write(escaped);
        utf8.remove_prefix(end);
    }
}
