#pragma once
// The push parser building a tree of elements from its events.
#include "xml/SimpleXMLParserPL.h"
#include "xml/XMLElementPL.h"
#include "xml/XMLTreeStorage.h"

#include <memory>
#include <vector>

class XMLTreeParserPL : public SimpleXMLParserPL {
public:
    XMLTreeParserPL() = default;

    // Null until the first start tag. The tree lives as long as the parser.
    XMLElementPL* Root() const { return root_; }
    // 0 when every started element has been ended: with a root, the document is complete.
    std::size_t OpenElementCount() const { return open_.size(); }
    // Where the texts of the tree's elements are kept: a reader that takes texts out of
    // the tree keeps this as long as it keeps them.
    const std::shared_ptr<TreeArena>& TextStorage() const { return storage_->SharedTexts(); }

    void OnStartElement(U8String name, XMLAttributeSpan attributes) override;
    void OnEndElement(U8String name) override;
    void OnCharacters(U8String text) override;

private:
    std::unique_ptr<XMLTreeStorage> storage_ = std::make_unique<XMLTreeStorage>();
    XMLElementPL* root_ = nullptr;
    std::vector<XMLElementPL*> open_;
};
