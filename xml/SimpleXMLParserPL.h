#pragma once
// A lenient push parser: bytes fed in pieces that may end anywhere become start, end,
// character and processing-instruction events. It validates nothing and reports no
// errors; malformed markup only yields other events. It keeps no copy of the document:
// one tag name, one entity, one run of pending text and the attribute slots at a time.
#include "xml/ByteRun.h"
#include "xml/XMLHandler.h"

#include <cstddef>
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

    // For a handler that keeps little of the document, so that the parser holds no more
    // than it needs either. Character data (text, entities, CDATA) is collected and
    // delivered only while wanted, which it is by default; a handler may change that in any
    // event. Attributes are not collected at all once ignored. A name longer than the
    // limit is kept (and delivered) as its first limit + 1 bytes, which equal no name of
    // the limit's length or less.
    void WantText(bool wanted) { wantText_ = wanted; }
    void IgnoreAttributes() { keepAttributes_ = false; }
    void LimitNames(std::size_t limit) { nameLimit_ = limit + 1; }
    // End tags are delivered without their names (which nothing compares anyway).
    void IgnoreEndTagNames() { keepEndNames_ = false; }
    // Character data still pending when a piece ends is delivered then, rather than held
    // until its run ends: a handler that only appends texts sees the same texts, and a
    // long run is never held here whole.
    void DeliverTextAtPieceEnds() { textAtPieceEnds_ = true; }

private:
    void Go(State next);
    void Exit(State next);
    void Enter(State next);
    void FeedPiece(const char* first, const char* last);
    void AppendName(const char* first, const char* last);
    void DeliverText();
    void DeliverTag(bool withAttributes);
    XMLAttributeSlot& CurrentSlot() { return slots_[attributeCount_]; }

    State state_ = State::Content;
    char byte_ = 0;
    char history_[2] = {0, 0};  // older, newer
    char quote_ = 0;
    ByteRun text_;
    ByteRun entity_;
    ByteRun name_;
    std::vector<XMLAttributeSlot> slots_;
    std::vector<const XMLAttributeSlot*> pointers_;
    std::size_t attributeCount_ = 0;
    int hyphens_ = 0;
    // "<a/>" and "<a b='1'/>" are empty elements: a start event followed by an end event.
    bool selfClosing_ = false;
    bool wantText_ = true;
    bool keepAttributes_ = true;
    bool textAtPieceEnds_ = false;
    bool keepEndNames_ = true;
    std::size_t nameLimit_ = SIZE_MAX;
    XMLHandler* handler_;
};

// "&lt;", "&gt;", "&amp;", "&quot;" and "&#x<hex>;" below 256 (one byte); anything else
// is returned unchanged. `entity` holds the whole reference, "&" and ";" included.
std::string DecodeXMLEntity(std::string_view entity);
