#include "xml/XMLTreeParserPL.h"

#include <algorithm>

SharedText XMLTreeParserPL::Intern(U8String name)
{
    constexpr std::size_t maxNames = 64;
    // Consecutive tags mostly repeat the pattern of the previous item: look after the last hit first.
    for (std::size_t i = 0, n = names_.size(); i < n; ++i) {
        std::size_t at = lastHit_ + 1 + i;
        if (at >= n)
            at -= n;
        if (names_[at].View() == name) {
            lastHit_ = at;
            return names_[at];
        }
    }
    SharedText text(name);
    if (names_.size() < maxNames)
        names_.push_back(text);
    return text;
}

void XMLTreeParserPL::OnStartElement(U8String name, XMLAttributeSpan attributes)
{
    XMLElementPL::Attributes copies;
    copies.reserve(attributes.size());
    for (const XMLAttributeSlot* slot : attributes)
        copies.push_back({SharedText(std::string_view(slot->name)), SharedText(std::string_view(slot->value))});

    XMLElementPL* element;
    if (open_.empty()) {
        if (!root_) {
            root_ = std::make_unique<XMLElementPL>(Intern(name), std::move(copies));
        } else {
            // A second top-level element takes the first one's place.
            root_->Reinitialise(Intern(name), std::move(copies), pool_);
        }
        element = root_.get();
    } else {
        element = &open_.back()->NextChild(Intern(name), std::move(copies), pool_);
    }
    open_.push_back(element);
}

void XMLTreeParserPL::OnEndElement(U8String)
{
    if (!open_.empty())
        open_.pop_back();
}

void XMLTreeParserPL::OnCharacters(U8String text)
{
    if (!open_.empty())
        open_.back()->AppendText(text);
}
