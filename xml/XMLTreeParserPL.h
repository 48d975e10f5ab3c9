#pragma once
// The push parser building a tree of elements from its events.
#include "xml/SimpleXMLParserPL.h"
#include "xml/XMLElementPL.h"

#include <memory>
#include <vector>

class XMLTreeParserPL : public SimpleXMLParserPL {
public:
    XMLTreeParserPL() = default;

    // Null until the first start tag.
    XMLElementPL* Root() const { return root_.get(); }
    // 0 when every started element has been ended: with a root, the document is complete.
    std::size_t OpenElementCount() const { return open_.size(); }

    void OnStartElement(U8String name, XMLAttributeSpan attributes) override;
    void OnEndElement(U8String name) override;
    void OnCharacters(U8String text) override;

private:
    // Equal names share one stored copy; a response repeats a handful of names a million times.
    SharedText Intern(U8String name);

    XMLElementPL::PoolRef pool_ = std::make_shared<NodePool>();
    std::unique_ptr<XMLElementPL> root_;
    std::vector<XMLElementPL*> open_;
    std::vector<SharedText> names_;
    std::size_t lastHit_ = 0;
};
