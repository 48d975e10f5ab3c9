#include "run/MarkupText.h"

#include "text/Transcoding.h"

#include <algorithm>

namespace {

constexpr char digits[] = "0123456789abcdef";

void Hex(std::string& out, unsigned char c)
{
    out += "\\x";
    out += digits[c >> 4];
    out += digits[c & 0xF];
}

void AppendMarkup(std::string& out, std::string_view utf8)
{
    for (std::size_t i = 0; i < utf8.size();) {
        const char c = utf8[i];
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            const std::size_t length = Utf8SequenceLength(utf8.substr(i));
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
