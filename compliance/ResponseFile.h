#pragma once
// The agent's response document, "response.xml" in the response directory.
#include "compliance/ComplianceTypes.h"
#include "files/FileLocation.h"

class XMLElementPL;

// The file ended inside an element, or had no root element: not completely written yet.
class VerimarkResponseReadFailure {
};
// The root element is not "TVKVerimarkResponse".
class VerimarkResponseBadDocumentType {
};
// No "ResponseType" of "Open", "Close" or "Progress".
class VerimarkResponseTypeFailure {
};

// Reads and interprets the response file, streaming it through a fixed buffer. Throws the
// file layer's errors, the three failures above, or NotANumeral / NumeralTooLarge.
ComplianceResponse ReadResponseFile();

// The interpretation of a parsed document's root (consumes the texts of its items).
ComplianceResponse InterpretResponse(XMLElementPL& root);

// "ResponseDir" as a location, read at every use; empty when missing, not a string or empty.
FileLocation ResponseDirectory();
