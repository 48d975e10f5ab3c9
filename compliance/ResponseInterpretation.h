#pragma once
// What a parsed response document says: its type, progress and items.
#include "compliance/ComplianceTypes.h"

class XMLTreeParserPL;

// The file ended inside an element, or had no root element: not completely written yet.
class VerimarkResponseReadFailure {
};
// The root element is not "TVKVerimarkResponse".
class VerimarkResponseBadDocumentType {
};
// No "ResponseType" of "Open", "Close" or "Progress".
class VerimarkResponseTypeFailure {
};

// The response the root element of a parsed document gives (the parser has a root); its
// items are copies of the tree's texts. Throws VerimarkResponseBadDocumentType,
// VerimarkResponseTypeFailure, or NotANumeral / NumeralTooLarge for a progress value.
ComplianceResponse InterpretResponse(XMLTreeParserPL& parsed);
