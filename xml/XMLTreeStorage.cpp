#include "xml/XMLTreeStorage.h"

#include <cstring>
#include <stdexcept>
#include <utility>

StoredText XMLTreeStorage::Store(std::string_view text)
{
    if (text.size() > 0x7FFFFFFF)
        throw std::length_error("name too long");
    char* bytes = nodes_.Allocate<char>(text.size());
    if (!text.empty())
        std::memcpy(bytes, text.data(), text.size());
    return {bytes, static_cast<std::uint32_t>(text.size())};
}

template <class Attribute>
const XMLElementTag* XMLTreeStorage::NewTag(std::string_view name, std::size_t count, Attribute attribute)
{
    XMLAttributePL* copies = nodes_.Allocate<XMLAttributePL>(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto [attributeName, value] = attribute(i);
        new (copies + i) XMLAttributePL{Store(attributeName), Store(value)};
    }
    return Create<XMLElementTag>(Store(name), copies, static_cast<std::uint32_t>(count));
}

const XMLElementTag* XMLTreeStorage::Intern(U8String name)
{
    constexpr std::size_t maxNames = 64;
    // Consecutive tags mostly repeat the pattern of the previous item: look after the last hit first.
    const std::string_view wanted = name.View();
    for (std::size_t i = 0, n = names_.size(); i < n; ++i) {
        std::size_t at = lastHit_ + 1 + i;
        if (at >= n)
            at -= n;
        if (names_[at]->name.StringView() == wanted) {
            lastHit_ = at;
            return names_[at];
        }
    }
    const auto none = [](std::size_t) { return std::pair<std::string_view, std::string_view>(); };
    if (names_.size() == maxNames)
        return NewTag(wanted, 0, none);
    names_.reserve(maxNames);
    const XMLElementTag* tag = NewTag(wanted, 0, none);
    names_.push_back(tag);
    return tag;
}

const XMLElementTag* XMLTreeStorage::Tag(U8String name, XMLAttributeSpan attributes)
{
    if (attributes.empty())
        return Intern(name);
    return NewTag(name.View(), attributes.size(), [&](std::size_t i) {
        return std::pair<std::string_view, std::string_view>(attributes[i]->name, attributes[i]->value);
    });
}

const XMLElementTag* XMLTreeStorage::Tag(const XMLElementTag& other)
{
    if (other.attributeCount == 0)
        return Intern(other.name.View());
    return NewTag(other.name.StringView(), other.attributeCount, [&](std::size_t i) {
        return std::pair(other.attributes[i].name.StringView(), other.attributes[i].value.StringView());
    });
}
