#pragma once
// The request document and how it reaches the agent: written to "requestTemp.xml", then
// moved onto "request.xml", whose disappearance tells that the agent took it.
#include "compliance/ComplianceTypes.h"
#include "files/PinnedDirectory.h"
#include "text/LineReceiver.h"
#include "text/Win32.h"

// Writing or placing the request failed. Carries nothing.
class VerimarkRequestIOWriteFailure {
};

// The document for a request: declaration, root "TVKVerimarkRequest" Version="1.0" and
// its children, laid out with CR LF and tabs.
void WriteRequestDocument(const ComplianceRequest& request, LineReceiver& lines);

// Writes the request into "requestTemp.xml", made new for it, and gives that file the name
// "request.xml" through its own handle: what another user may have put at either name is
// never written through. Something already at "requestTemp.xml" is removed when it is a
// plain file with one link and refused otherwise. A request that could not be written
// whole is deleted through its handle, never put in place. Returns the last-write time the
// file system gave the request: an answer written before it cannot be the request's.
FILETIME WriteRequestFile(const PinnedDirectory& requests, const ComplianceRequest& request);

// Whether anything is at "request.xml" in the request directory.
bool IsRequestPending(const PinnedDirectory& requests);
