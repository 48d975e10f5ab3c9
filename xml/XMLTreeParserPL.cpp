#include "xml/XMLTreeParserPL.h"

void XMLTreeParserPL::OnStartElement(U8String name, XMLAttributeSpan attributes)
{
    const XMLElementTag* tag = storage_->Tag(name, attributes);
    // Room first, so that an element once placed in the tree is also open.
    if (open_.size() == open_.capacity())
        open_.reserve(2 * open_.size() + 16);
    XMLElementPL* element;
    if (!open_.empty()) {
        element = &open_.back()->NextChild(tag, *storage_);
    } else if (root_) {
        // A second top-level element takes the first one's place.
        root_->Reinitialise(tag);
        element = root_;
    } else {
        element = root_ = &storage_->NewElement(tag);
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
        open_.back()->AppendText(text, *storage_);
}
