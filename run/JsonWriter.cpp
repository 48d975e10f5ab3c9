#include "run/JsonWriter.h"

#include <string>

void AppendJsonString(std::string& out, std::string_view text)
{
    static constexpr char digits[] = "0123456789abcdef";
    out += '"';
    std::size_t plain = 0;  // the start of the run of bytes that need nothing
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(text.data() + plain, i - plain);
        plain = i + 1;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            out += "\\u00";
            out += digits[c >> 4];
            out += digits[c & 0xF];
        }
    }
    out.append(text.data() + plain, text.size() - plain);
    out += '"';
}

void JsonWriter::Indent(std::size_t depth)
{
    static constexpr std::string_view spaces = "                                ";
    for (std::size_t n = depth * 2; n > 0;) {
        const std::size_t piece = n < spaces.size() ? n : spaces.size();
        sink_.Write(spaces.substr(0, piece));
        n -= piece;
    }
}

void JsonWriter::BeforeValue()
{
    if (keyed_) {
        keyed_ = false;
        return;
    }
    if (counts_.empty())
        return;
    sink_.Write(counts_.back()++ == 0 ? "\n" : ",\n");
    Indent(counts_.size());
}

JsonWriter& JsonWriter::Key(std::string_view name)
{
    BeforeValue();
    std::string text;
    AppendJsonString(text, name);
    text += ": ";
    sink_.Write(text);
    keyed_ = true;
    return *this;
}

JsonWriter& JsonWriter::Text(std::string_view text)
{
    BeforeValue();
    // Escaped in pieces: however long the text, no more than a piece's escape is held.
    constexpr std::size_t piece = 65536;
    std::string escaped;
    sink_.Write("\"");
    for (std::size_t at = 0; at < text.size(); at += piece) {
        escaped.clear();
        AppendJsonString(escaped, text.substr(at, piece));
        sink_.Write(std::string_view(escaped).substr(1, escaped.size() - 2));
    }
    sink_.Write("\"");
    return *this;
}

JsonWriter& JsonWriter::Number(std::int64_t value)
{
    BeforeValue();
    sink_.Write(std::to_string(value));
    return *this;
}

JsonWriter& JsonWriter::Boolean(bool value)
{
    BeforeValue();
    sink_.Write(value ? "true" : "false");
    return *this;
}

JsonWriter& JsonWriter::Null()
{
    BeforeValue();
    sink_.Write("null");
    return *this;
}

JsonWriter& JsonWriter::Seconds(std::uint64_t milliseconds)
{
    BeforeValue();
    std::string text = std::to_string(milliseconds / 1000) + ".";
    const unsigned fraction = static_cast<unsigned>(milliseconds % 1000);
    std::string digits{char('0' + fraction / 100), char('0' + fraction / 10 % 10), char('0' + fraction % 10)};
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    sink_.Write(text + digits);
    return *this;
}

JsonWriter& JsonWriter::BeginObject()
{
    BeforeValue();
    sink_.Write("{");
    counts_.push_back(0);
    closers_.push_back('}');
    return *this;
}

JsonWriter& JsonWriter::BeginArray()
{
    BeforeValue();
    sink_.Write("[");
    counts_.push_back(0);
    closers_.push_back(']');
    return *this;
}

void JsonWriter::End(char bracket)
{
    const std::size_t count = counts_.back();
    counts_.pop_back();
    closers_.pop_back();
    if (count != 0) {
        sink_.Write("\n");
        Indent(counts_.size());
    }
    sink_.Write(std::string_view(&bracket, 1));
}

JsonWriter& JsonWriter::EndObject()
{
    End('}');
    return *this;
}

JsonWriter& JsonWriter::EndArray()
{
    End(']');
    return *this;
}

void JsonWriter::CloseTo(std::size_t depth)
{
    if (keyed_)
        Null();
    while (counts_.size() > depth)
        End(closers_.back());
}
