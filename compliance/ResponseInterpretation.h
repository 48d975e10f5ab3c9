#pragma once
// What a parsed response document says: its type, progress and items.
#include "compliance/ComplianceFailure.h"
#include "compliance/ComplianceTypes.h"

class XMLTreeParserPL;

// The file ended inside an element, or had no root element: not completely written yet.
class VerimarkResponseReadFailure : public ComplianceFailure {
public:
    VerimarkResponseReadFailure() : ComplianceFailure("the response is not completely written") {}
};
// The root element is not "TVKVerimarkResponse".
class VerimarkResponseBadDocumentType : public ComplianceFailure {
public:
    VerimarkResponseBadDocumentType() : ComplianceFailure("the response is not a response document") {}
};
// No "ResponseType" of "Open", "Close" or "Progress".
class VerimarkResponseTypeFailure : public ComplianceFailure {
public:
    VerimarkResponseTypeFailure() : ComplianceFailure("the response names no request type") {}
};

// The response the root element of a parsed document gives (the parser has a root); its
// items are copies of the tree's texts. Throws VerimarkResponseBadDocumentType,
// VerimarkResponseTypeFailure, or NotANumeral / NumeralTooLarge for a progress value.
ComplianceResponse InterpretResponse(XMLTreeParserPL& parsed);
