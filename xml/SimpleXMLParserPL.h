#pragma once
// A lenient push parser: bytes fed in pieces that may end anywhere become start, end,
// character and processing-instruction events. It validates nothing and reports no
// errors; malformed markup only yields other events. It keeps no copy of the document:
// one tag name, one entity, one run of pending text and the attribute slots at a time.
#include "xml/XMLHandler.h"

#include <cstdint>
#include <string>
#include <vector>

class SimpleXMLParserPL : public XMLHandler {
public:
    enum class State : std::uint8_t {
        Content,
        TextEntity,
        TagOpen,
        EndTag,
        InTag,
        AttributeName,
        BeforeValue,
        AttributeValue,
        ValueEntity,
        Comment,
        CData,
    };

    SimpleXMLParserPL() : handler_(this) {}
    SimpleXMLParserPL(const SimpleXMLParserPL&) = delete;
    SimpleXMLParserPL& operator=(const SimpleXMLParserPL&) = delete;

    // Consecutive pieces of one document. Text still pending when the input stops is
    // never delivered: there is no end-of-input call.
    void Feed(const char* first, const char* last);

    void OnStartElement(U8String, XMLAttributeSpan) override {}
    void OnEndElement(U8String) override {}
    void OnCharacters(U8String) override {}

    State CurrentState() const { return state_; }

private:
    void Go(State next);
    void Exit(State next);
    void Enter(State next);
    void DeliverText();
    void DeliverTag(bool withAttributes);
    XMLAttributeSlot& CurrentSlot() { return slots_[attributeCount_]; }

    State state_ = State::Content;
    char byte_ = 0;
    char history_[2] = {0, 0};  // older, newer
    char quote_ = 0;
    std::string text_;
    std::string entity_;
    std::string name_;
    std::vector<XMLAttributeSlot> slots_;
    std::vector<const XMLAttributeSlot*> pointers_;
    std::size_t attributeCount_ = 0;
    int hyphens_ = 0;
    // "<a/>" and "<a b='1'/>" are empty elements: a start event followed by an end event.
    bool selfClosing_ = false;
    XMLHandler* handler_;
};

// "&lt;", "&gt;", "&amp;", "&quot;" and "&#x<hex>;" below 256 (one byte); anything else
// is returned unchanged. `entity` holds the whole reference, "&" and ";" included.
std::string DecodeXMLEntity(std::string_view entity);
