#pragma once
// The request document and how it reaches the agent: written to "requestTemp.xml", then
// moved onto "request.xml", whose disappearance tells that the agent took it.
#include "compliance/ComplianceTypes.h"
#include "files/FileLocation.h"
#include "text/LineReceiver.h"

// Writing or placing the request failed. Carries nothing.
class VerimarkRequestIOWriteFailure {
};

// The document for a request: declaration, root "TVKVerimarkRequest" Version="1.0" and
// its children, laid out with CR LF and tabs.
void WriteRequestDocument(const ComplianceRequest& request, LineReceiver& lines);

// Writes the request completely, then puts it in place as "request.xml". A request that
// could not be written whole is removed, never moved into place.
void WriteRequestFile(const ComplianceRequest& request);

// Whether anything is at "request.xml" in the request directory.
bool IsRequestPending();

// "RequestDir" as a location (created if missing), empty when the value is missing or
// empty. Cached; the registry is read again only after the key has changed.
FileLocation RequestDirectory();
