#pragma once
// The request document and how it reaches the agent: written to "requestTemp.xml", then
// moved onto "request.xml", whose disappearance tells that the agent took it.
#include "compliance/ComplianceFailure.h"
#include "compliance/ComplianceTypes.h"
#include "files/FileIdentity.h"
#include "files/PinnedDirectory.h"
#include "text/LineReceiver.h"
#include "text/Win32.h"

#include <optional>

// Writing or placing the request failed.
class VerimarkRequestIOWriteFailure : public ComplianceFailure {
public:
    VerimarkRequestIOWriteFailure() : ComplianceFailure("the request could not be written") {}
};

// A request as it was put in place: the last-write time the file system gave it (an
// answer written before it cannot be the request's), and which file it is.
struct PublishedRequest {
    FILETIME written{};
    FileIdentity identity;
};

// The document for a request: declaration, root "TVKVerimarkRequest" Version="1.0" and
// its children, laid out with CR LF and tabs.
void WriteRequestDocument(const ComplianceRequest& request, LineReceiver& lines);

// Writes the request into "requestTemp.xml", made new for it, and gives that file the name
// "request.xml" through its own handle: what another user may have put at either name is
// never written through. Something already at "requestTemp.xml" is removed when it is a
// plain file with one link and refused otherwise. A request that could not be written
// whole is deleted through its handle, never put in place.
PublishedRequest WriteRequestFile(const PinnedDirectory& requests, const ComplianceRequest& request);

// Whether anything is at "request.xml" in the request directory.
bool IsRequestPending(const PinnedDirectory& requests);

// Takes back a request the agent has not taken: removes "request.xml" through a handle of
// its own, and only while it is still that request's file. False when it is gone (the
// agent took it) or is another file, which is left alone.
bool WithdrawRequest(const PinnedDirectory& requests, const PublishedRequest& request);

// When the file waiting at "request.xml" was last written, if one waits.
std::optional<FILETIME> WaitingRequestWritten(const PinnedDirectory& requests);
