#include "tool/tests/JsonParser.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    JsonValue Document()
    {
        JsonValue value = Value();
        Space();
        if (at_ != text_.size())
            Fail("text after the value");
        return value;
    }

private:
    [[noreturn]] void Fail(const char* what) const
    {
        throw std::runtime_error(std::string("JSON: ") + what + " at offset " + std::to_string(at_));
    }
    char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    void Space()
    {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    void Expect(std::string_view word)
    {
        if (text_.substr(at_, word.size()) != word)
            Fail("unexpected text");
        at_ += word.size();
    }

    JsonValue Value()
    {
        Space();
        JsonValue value;
        switch (Peek()) {
        case '{': Object(value); break;
        case '[': Array(value); break;
        case '"': value.kind = JsonValue::Kind::String; value.text = String(); break;
        case 't': Expect("true"); value.kind = JsonValue::Kind::Boolean; value.boolean = true; break;
        case 'f': Expect("false"); value.kind = JsonValue::Kind::Boolean; break;
        case 'n': Expect("null"); break;
        default: value.kind = JsonValue::Kind::Number; value.number = Number(); break;
        }
        return value;
    }

    void Object(JsonValue& value)
    {
        value.kind = JsonValue::Kind::Object;
        ++at_;
        Space();
        if (Peek() == '}') {
            ++at_;
            return;
        }
        for (;;) {
            Space();
            if (Peek() != '"')
                Fail("a member name must be a string");
            std::string name = String();
            Space();
            Expect(":");
            for (const auto& member : value.members)
                if (member.first == name)
                    Fail("a member name twice");
            value.members.emplace_back(std::move(name), Value());
            Space();
            if (Peek() == ',') {
                ++at_;
                continue;
            }
            Expect("}");
            return;
        }
    }

    void Array(JsonValue& value)
    {
        value.kind = JsonValue::Kind::Array;
        ++at_;
        Space();
        if (Peek() == ']') {
            ++at_;
            return;
        }
        for (;;) {
            value.elements.push_back(Value());
            Space();
            if (Peek() == ',') {
                ++at_;
                continue;
            }
            Expect("]");
            return;
        }
    }

    double Number()
    {
        const std::size_t start = at_;
        if (Peek() == '-')
            ++at_;
        if (Peek() == '0') {
            ++at_;
        } else if (Peek() >= '1' && Peek() <= '9') {
            while (Peek() >= '0' && Peek() <= '9')
                ++at_;
        } else {
            Fail("not a value");
        }
        if (Peek() == '.') {
            ++at_;
            if (!(Peek() >= '0' && Peek() <= '9'))
                Fail("a fraction without digits");
            while (Peek() >= '0' && Peek() <= '9')
                ++at_;
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++at_;
            if (Peek() == '+' || Peek() == '-')
                ++at_;
            if (!(Peek() >= '0' && Peek() <= '9'))
                Fail("an exponent without digits");
            while (Peek() >= '0' && Peek() <= '9')
                ++at_;
        }
        return std::strtod(std::string(text_.substr(start, at_ - start)).c_str(), nullptr);
    }

    unsigned Hex4()
    {
        unsigned value = 0;
        for (int i = 0; i < 4; ++i, ++at_) {
            const char c = Peek();
            value <<= 4;
            if (c >= '0' && c <= '9') value |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f') value |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') value |= static_cast<unsigned>(c - 'A' + 10);
            else Fail("a bad \\u escape");
        }
        return value;
    }

    static void Append(std::string& out, unsigned cp)
    {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    // One UTF-8 sequence copied whole, checked as the standard says (no overlong forms,
    // no surrogates, nothing past U+10FFFF).
    void Utf8(std::string& out)
    {
        const auto lead = static_cast<unsigned char>(Peek());
        const int length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (length == 0 || at_ + length > text_.size())
            Fail("text that is not UTF-8");
        unsigned cp = length == 1 ? lead : lead & (0x7F >> length);
        for (int i = 1; i < length; ++i) {
            const auto c = static_cast<unsigned char>(text_[at_ + i]);
            if ((c & 0xC0) != 0x80)
                Fail("text that is not UTF-8");
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            Fail("text that is not UTF-8");
        out.append(text_.substr(at_, length));
        at_ += length;
    }

    std::string String()
    {
        ++at_;  // the opening quote
        std::string out;
        for (;;) {
            if (at_ >= text_.size())
                Fail("a string without its end");
            const char c = Peek();
            if (c == '"') {
                ++at_;
                return out;
            }
            if (static_cast<unsigned char>(c) < 0x20)
                Fail("a control character in a string");
            if (c != '\\') {
                Utf8(out);
                continue;
            }
            ++at_;
            const char e = Peek();
            ++at_;
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                unsigned cp = Hex4();
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    Expect("\\u");
                    const unsigned low = Hex4();
                    if (low < 0xDC00 || low > 0xDFFF)
                        Fail("an unpaired surrogate");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    Fail("an unpaired surrogate");
                }
                Append(out, cp);
                break;
            }
            default: Fail("a bad escape");
            }
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

const JsonValue& JsonValue::operator[](std::string_view name) const
{
    for (const auto& member : members)
        if (member.first == name)
            return member.second;
    throw std::runtime_error("JSON: no member " + std::string(name));
}

bool JsonValue::Has(std::string_view name) const
{
    for (const auto& member : members)
        if (member.first == name)
            return true;
    return false;
}

std::vector<std::string> JsonValue::Names() const
{
    std::vector<std::string> names;
    for (const auto& member : members)
        names.push_back(member.first);
    return names;
}

JsonValue ParseJson(std::string_view text)
{
    return Reader(text).Document();
}
