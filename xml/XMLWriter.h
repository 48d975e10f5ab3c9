#pragma once
// A streaming XML writer: declaration, elements with attributes and text, in document
// order, laid out with line breaks and tabs, into a line receiver.
#include "errors/ExceptionPL.h"
#include "text/CopiedUString.h"
#include "text/LineReceiver.h"
#include "text/ListPL.h"
#include "text/Pair.h"

#include <cstdint>
#include <vector>

class InvalidXMLElementName : public ExceptionPL {
public:
    explicit InvalidXMLElementName(U8String elementName);
};

class InvalidXMLAttributeName : public ExceptionPL {
public:
    InvalidXMLAttributeName(U8String elementName, U8String attributeName);
};

using XMLAttributeList = ListPL<Pair<CopiedU8String, CopiedU8String>>;

// EndElement with no element open: a caller's error, refused before anything is written.
class XMLWriterNoOpenElement : public ExceptionPL {
public:
    XMLWriterNoOpenElement() : ExceptionPL(U8String("EndElement with no open element")) {}
};

class XMLWriter {
public:
    // layout 0: line breaks and a tab per level; 1: line breaks only; other: one line.
    XMLWriter(LineReceiver& sink, std::int32_t layout) : sink_(sink), layout_(layout) {}

    // The declaration (with encoding="..." only when one is given), then the root.
    void StartDocument(U8String rootName, XMLAttributeList* attributes, const U8String* encoding = nullptr);
    // Names are checked before any byte of the tag is written.
    void StartElement(U8String name, XMLAttributeList* attributes);
    void Text(U8String text);
    void EndElement();
    // Ends every open element, then the sink. No line break follows the last end tag.
    void EndDocument();

private:
    enum Event : std::int32_t { Nothing = 0, StartTag = 1, CharacterData = 2, EndTag = 3 };

    void Write(U8String bytes) { sink_.Text(bytes.first, bytes.last); }
    void NewLine(std::size_t tabs);
    void WriteEscaped(U8String text, bool attribute);

    LineReceiver& sink_;
    std::int32_t layout_;
    std::vector<CopiedU8String> open_;
    std::int32_t last_ = Nothing;
};

// Element and attribute names: a letter, "_" or ":", then letters, digits, ".", "-", "_",
// ":" or the byte 0xB7. Nothing else, and no byte of any other multi-byte character.
bool IsValidXMLName(U8String name);
