#include "xml/XMLTreeParserPL.h"

#include <algorithm>

SharedText XMLTreeParserPL::Intern(U8String name)
{
    constexpr std::size_t maxNames = 64;
    for (const SharedText& known : names_)
        if (known.View() == name)
            return known;
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
            root_->Reinitialise(Intern(name), std::move(copies));
        }
        element = root_.get();
    } else {
        element = &open_.back()->NextChild(Intern(name), std::move(copies));
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
