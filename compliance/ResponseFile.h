#pragma once
// The agent's response document, "response.xml" in the response directory.
#include "compliance/ComplianceTypes.h"
#include "compliance/ResponseInterpretation.h"
#include "files/FileLocation.h"

// Reads and interprets the response file, streaming it through a fixed buffer. Throws the
// file layer's errors, VerimarkResponseReadFailure for a document not completely written,
// and what InterpretResponse throws.
ComplianceResponse ReadResponseFile();

// "ResponseDir" as a location, read at every use; empty when missing, not a string or empty.
FileLocation ResponseDirectory();
