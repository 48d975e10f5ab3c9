#pragma once
// The events of the push parser.
#include "text/UString.h"

#include <span>
#include <string>

// One attribute of the tag being delivered; valid during the event only.
struct XMLAttributeSlot {
    std::string name;
    std::string value;
};

using XMLAttributeSpan = std::span<const XMLAttributeSlot* const>;

class XMLHandler {
public:
    virtual ~XMLHandler() = default;
    virtual void OnStartElement(U8String name, XMLAttributeSpan attributes) = 0;
    virtual void OnEndElement(U8String name) = 0;
    virtual void OnCharacters(U8String text) = 0;
    virtual void OnProcessingInstruction(U8String, XMLAttributeSpan) {}
};
