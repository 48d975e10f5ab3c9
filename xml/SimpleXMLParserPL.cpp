#include "xml/SimpleXMLParserPL.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

// Bytes up to the first of two stop bytes (or the end), eight at a time: character data
// is most of a document, and this is where the parser spends its time on it.
const char* ScanTo(const char* p, const char* end, char a, char b)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    const std::uint64_t aa = ones * static_cast<unsigned char>(a), bb = ones * static_cast<unsigned char>(b);
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if constexpr (std::endian::native == std::endian::big)
            word = __builtin_bswap64(word);
        const std::uint64_t x = word ^ aa, y = word ^ bb;
        // A byte's high bit is set here when the byte is a or b; a borrow can mark bytes
        // above a hit too, never one below it: the lowest mark is the first hit.
        if (const std::uint64_t hits = ((x - ones) & ~x & highs) | ((y - ones) & ~y & highs))
            return p + std::countr_zero(hits) / 8;
        p += 8;
    }
    while (p < end && *p != a && *p != b)
        ++p;
    return p;
}

// Appends a run of bytes: short runs (most names and texts) byte by byte, which costs
// less than a call into the runtime's memcpy; longer ones through it.
void AppendRun(std::string& to, const char* first, const char* last)
{
    const auto n = static_cast<std::size_t>(last - first);
    if (n > 16) {
        to.append(first, n);
        return;
    }
    for (; first != last; ++first)
        to.push_back(*first);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A signed hexadecimal number as the C runtime's strtol reads it with base 16 and a 32-bit
// long: leading white space, a sign, an optional 0x, digits of either case; it stops at
// the first byte that cannot continue the number, gives 0 without digits and saturates.
long ReadSignedHex(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        HexValue(text[i + 2]) >= 0)
        i += 2;
    constexpr long long limit = 0x80000000LL;  // the magnitude of the smallest long
    long long magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0)
            break;
        magnitude = magnitude * 16 + digit;
        if (magnitude > limit)
            magnitude = limit + 1;  // saturated; stays above every limit
    }
    if (negative)
        return magnitude >= limit ? static_cast<long>(-limit) : static_cast<long>(-magnitude);
    return magnitude >= limit ? 0x7FFFFFFFL : static_cast<long>(magnitude);
}

}  // namespace

std::string DecodeXMLEntity(std::string_view entity)
{
    if (entity == "&lt;")
        return "<";
    if (entity == "&gt;")
        return ">";
    if (entity == "&amp;")
        return "&";
    if (entity == "&quot;")
        return "\"";
    if (entity.size() >= 4 && entity.substr(0, 3) == "&#x" && entity.back() == ';') {
        const long value = ReadSignedHex(entity.substr(3, entity.size() - 4));
        if (value < 256)
            return std::string(1, static_cast<char>(static_cast<unsigned char>(value)));
    }
    return std::string(entity);
}

void SimpleXMLParserPL::Feed(const char* p, const char* end)
{
    FeedPiece(p, end);
    if (textAtPieceEnds_ && (state_ == State::Content || state_ == State::CData))
        DeliverText();
}

void SimpleXMLParserPL::FeedPiece(const char* p, const char* end)
{
    while (p < end) {
        // The states that collect runs take them whole; the rest go byte by byte.
        switch (state_) {
        case State::Content: {
            const char* stop = ScanTo(p, end, '<', '&');
            if (!wantText_) {
                p = stop;
                if (p == end)
                    return;
            } else if (stop != end && text_.Empty() && stop != p) {
                // The whole run is in this piece: deliver it from the input, without a copy.
                handler_->OnCharacters({p, stop});
                p = stop;
            } else {
                text_.Append(p, stop);
                p = stop;
                if (p == end)
                    return;
            }
            byte_ = *p++;
            Go(byte_ == '<' ? State::TagOpen : State::TextEntity);
            continue;
        }
        case State::TextEntity:
        case State::ValueEntity: {
            const char* stop = ScanTo(p, end, ';', ';');
            if (state_ == State::TextEntity ? wantText_ : keepAttributes_)
                entity_.Append(p, stop);
            p = stop;
            if (p == end)
                return;
            byte_ = *p++;
            Go(state_ == State::TextEntity ? State::Content : State::AttributeValue);
            continue;
        }
        case State::AttributeValue: {
            const char* stop = ScanTo(p, end, quote_, '&');
            if (keepAttributes_)
                AppendRun(CurrentSlot().value, p, stop);
            p = stop;
            if (p == end)
                return;
            byte_ = *p++;
            Go(byte_ == '&' ? State::ValueEntity : State::InTag);
            continue;
        }
        case State::TagOpen: {
            // Ordinary name bytes in one run; the name can only become "![CDATA[" at a "[".
            const char* stop = p;
            while (stop < end && *stop != ' ' && *stop != '/' && *stop != '>' && *stop != '-' && *stop != '[')
                ++stop;
            if (stop != p) {
                selfClosing_ = false;
                AppendName(p, stop);
                p = stop;
                if (p == end)
                    return;
            }
            break;
        }
        case State::EndTag: {
            const char* stop = ScanTo(p, end, '>', '>');
            if (keepEndNames_)
                AppendName(p, stop);
            p = stop;
            if (p == end)
                return;
            break;
        }
        case State::AttributeName: {
            const char* stop = ScanTo(p, end, '=', '=');
            if (keepAttributes_)
                AppendRun(CurrentSlot().name, p, stop);
            p = stop;
            if (p == end)
                return;
            break;
        }
        default:
            break;
        }

        const char b = byte_ = *p++;
        switch (state_) {
        case State::TagOpen:
            if (b == ' ') {
                if (!name_.Empty())
                    Go(State::InTag);
            } else if (b == '/') {
                if (name_.Empty())
                    state_ = State::EndTag;
                else
                    selfClosing_ = true;
            } else if (b == '>') {
                Go(State::Content);
            } else if (b == '-') {
                if (++hyphens_ == 2) {
                    hyphens_ = 0;
                    state_ = State::Comment;
                }
            } else {
                selfClosing_ = false;
                AppendName(&b, &b + 1);
                if (b == '[' && name_.View() == "![CDATA[") {
                    name_.Clear();
                    history_[0] = history_[1] = 0;
                    state_ = State::CData;
                }
            }
            break;
        case State::EndTag:
            if (b == '>')
                Go(State::Content);
            else if (keepEndNames_)
                AppendName(&b, &b + 1);
            break;
        case State::InTag:
            if (b == '>')
                Go(State::Content);
            else if (b == '/')
                selfClosing_ = true;
            else if (b != ' ' && b != '?')
                Go(State::AttributeName);
            break;
        case State::AttributeName:
            if (b == '=')
                state_ = State::BeforeValue;
            else if (keepAttributes_)
                CurrentSlot().name += b;
            break;
        case State::BeforeValue:
            if (b == '"' || b == '\'') {
                quote_ = b;
                Go(State::AttributeValue);
            }
            break;
        case State::Comment:
            if (b == '-')
                ++hyphens_;
            else if (b == '>' && hyphens_ >= 2)
                Go(State::Content);
            else
                hyphens_ = 0;
            break;
        case State::CData:
            if (b == '>' && history_[0] == ']' && history_[1] == ']') {
                Go(State::Content);
            } else {
                if (history_[0] != 0 && wantText_)
                    text_.Append(history_[0]);
                history_[0] = history_[1];
                history_[1] = b;
            }
            break;
        default:
            break;
        }
    }
}

void SimpleXMLParserPL::Go(State next)
{
    Exit(next);
    Enter(next);
    state_ = next;
}

void SimpleXMLParserPL::Exit(State next)
{
    switch (state_) {
    case State::Content:
    case State::CData:
        DeliverText();
        break;
    case State::TextEntity: {
        if (!wantText_)
            break;
        entity_.Append(';');
        const std::string decoded = DecodeXMLEntity(entity_.View());
        handler_->OnCharacters(std::string_view(decoded));
        break;
    }
    case State::TagOpen:
        if (next == State::Content)
            DeliverTag(false);
        break;
    case State::EndTag:
        if (next == State::Content)
            handler_->OnEndElement(name_.View());
        break;
    case State::InTag:
        if (next == State::Content)
            DeliverTag(true);
        break;
    case State::AttributeValue:
        if (next != State::ValueEntity && keepAttributes_)
            ++attributeCount_;
        break;
    case State::ValueEntity:
        if (!keepAttributes_)
            break;
        entity_.Append(';');
        CurrentSlot().value += DecodeXMLEntity(entity_.View());
        break;
    default:
        break;
    }
}

void SimpleXMLParserPL::Enter(State next)
{
    switch (next) {
    case State::TextEntity:
    case State::ValueEntity:
        entity_.Assign('&');
        break;
    case State::TagOpen:
        hyphens_ = 0;
        name_.Clear();
        attributeCount_ = 0;
        selfClosing_ = false;
        break;
    case State::InTag:
        if (slots_.size() <= attributeCount_)
            slots_.emplace_back();
        CurrentSlot().name.clear();
        CurrentSlot().value.clear();
        break;
    case State::AttributeName:
        selfClosing_ = false;
        if (keepAttributes_)
            CurrentSlot().name += byte_;
        break;
    case State::Comment:
        hyphens_ = 0;
        break;
    default:
        break;
    }
}

void SimpleXMLParserPL::AppendName(const char* first, const char* last)
{
    const std::size_t room = nameLimit_ - std::min(nameLimit_, name_.Size());
    if (static_cast<std::size_t>(last - first) > room)
        last = first + room;
    name_.Append(first, last);
}

void SimpleXMLParserPL::DeliverText()
{
    if (text_.Empty())
        return;
    handler_->OnCharacters(text_.View());
    text_.Clear();
}

void SimpleXMLParserPL::DeliverTag(bool withAttributes)
{
    pointers_.clear();
    if (withAttributes)
        for (std::size_t i = 0; i < attributeCount_; ++i)
            pointers_.push_back(&slots_[i]);
    const U8String name = name_.View();
    if (!name_.Empty() && name_.Front() == '?') {
        handler_->OnProcessingInstruction(name, pointers_);
        return;
    }
    handler_->OnStartElement(name, pointers_);
    if (selfClosing_)
        handler_->OnEndElement(name);
}
