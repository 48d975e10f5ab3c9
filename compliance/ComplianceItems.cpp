#include "compliance/ComplianceItems.h"

#include <algorithm>
#include <cstring>

namespace {

std::size_t EncodedLength(std::size_t n)
{
    std::size_t bytes = 1;
    for (; n >= 0x80; n >>= 7)
        ++bytes;
    return bytes;
}

char* Encode(char* at, std::size_t n)
{
    for (; n >= 0x80; n >>= 7)
        *at++ = static_cast<char>(0x80 | (n & 0x7F));
    *at++ = static_cast<char>(n);
    return at;
}

const char* Decode(const char* at, std::size_t& n)
{
    n = 0;
    for (unsigned shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        n |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (byte < 0x80)
            return at;
    }
}

// Short texts, most of them, are copied byte by byte: cheaper than a call to memcpy.
char* Copy(char* to, U8String text)
{
    const std::size_t n = text.Length();
    if (n > 16) {
        std::memcpy(to, text.first, n);
        return to + n;
    }
    for (const char* p = text.first; p != text.last; ++p)
        *to++ = *p;
    return to;
}

}  // namespace

// A record starts with its form: the texts inline, or where they are elsewhere.
constexpr char inlineTexts = 0, elsewhere = 1;

ComplianceResultItem ComplianceItems::operator[](std::size_t index) const noexcept
{
    const char* at = index_[index / IndexBlock][index % IndexBlock];
    ItemText texts[FieldCount];
    if (*at++ == elsewhere) {
        const char* base;
        std::memcpy(&base, at, sizeof base);
        at += sizeof base;
        for (ItemText& text : texts) {
            std::size_t offset, n;
            at = Decode(Decode(at, offset), n);
            text = ItemText(base + offset, base + offset + n);
        }
    } else {
        for (ItemText& text : texts) {
            std::size_t n;
            at = Decode(at, n);
            text = ItemText(at, at + n);
            at += n;
        }
    }
    return {texts[0], texts[1], texts[2], texts[3], texts[4], texts[5]};
}

char* ComplianceItems::Room(std::size_t bytes)
{
    if (static_cast<std::size_t>(end_ - next_) < bytes) {
        // Small answers take small blocks; large ones blocks of a megabyte.
        const std::size_t grown = blocks_.empty() ? 4096 : std::min(BytesBlock, 2 * blockSize_);
        blockSize_ = grown;
        const std::size_t size = std::max(bytes, grown);
        blocks_.emplace_back(new char[size]);
        next_ = blocks_.back().get();
        end_ = next_ + size;
    }
    char* at = next_;
    next_ += bytes;
    return at;
}

void ComplianceItems::Add(const Texts& texts)
{
    std::size_t bytes = 1;
    for (const U8String& text : texts)
        bytes += EncodedLength(text.Length()) + text.Length();
    if (count_ % IndexBlock == 0)
        index_.emplace_back(new const char*[IndexBlock]);
    char* at = Room(bytes);
    index_.back()[count_ % IndexBlock] = at;
    *at++ = inlineTexts;
    for (const U8String& text : texts)
        at = Copy(Encode(at, text.Length()), text);
    ++count_;
}

void ComplianceItems::Adopt(std::string&& bytes,
                            const std::array<std::pair<std::size_t, std::size_t>, FieldCount>& spans)
{
    adopted_.push_back(std::move(bytes));
    const char* base = adopted_.back().data();
    std::size_t size = 1 + sizeof base;
    for (const auto& [offset, n] : spans)
        size += EncodedLength(offset) + EncodedLength(n);
    if (count_ % IndexBlock == 0)
        index_.emplace_back(new const char*[IndexBlock]);
    char* at = Room(size);
    index_.back()[count_ % IndexBlock] = at;
    *at++ = elsewhere;
    std::memcpy(at, &base, sizeof base);
    at += sizeof base;
    for (const auto& [offset, n] : spans)
        at = Encode(Encode(at, offset), n);
    ++count_;
}

void ComplianceItems::Clear() noexcept
{
    index_.clear();
    index_.shrink_to_fit();
    blocks_.clear();
    blocks_.shrink_to_fit();
    adopted_.clear();
    adopted_.shrink_to_fit();
    next_ = end_ = nullptr;
    blockSize_ = 0;
    count_ = 0;
}
