#pragma once
// The response document read as it streams by: the parser's events build the response
// directly, and nothing is held but what the response keeps (its items' texts), a depth
// counter and a few bytes per element of interest. Attributes, unknown elements, deep
// nesting and the texts of elements nobody reads cost nothing.
//
// It gives what the element tree and InterpretResponse give for the same bytes, however
// they are cut into pieces: the same response, or the same failure.
#include "compliance/ComplianceTypes.h"
#include "text/UString.h"

#include <memory>

class ResponseReader {
public:
    ResponseReader();
    ~ResponseReader();
    ResponseReader(const ResponseReader&) = delete;
    ResponseReader& operator=(const ResponseReader&) = delete;

    // Consecutive pieces of one document.
    void Feed(const char* first, const char* last);
    // The response, once the document is whole. Throws VerimarkResponseReadFailure (an
    // element still open, or no root), VerimarkResponseBadDocumentType,
    // VerimarkResponseTypeFailure, or NotANumeral / NumeralTooLarge for a progress value.
    ComplianceResponse Finish();

private:
    class Events;
    std::unique_ptr<Events> events_;
};
