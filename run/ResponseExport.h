#pragma once
// The export of the agent's answer ("-x").
#include "files/PinnedDirectory.h"
#include "text/Bstr.h"

#include "text/DataWriter.h"

#include <exception>
#include <functional>
#include <optional>
#include <string>

// Copies the answer the session's results were read from to outputPath, byte for byte:
// whatever is at the path stays until a complete copy replaces it. The folder is opened
// once and held; the copy is made and renamed relative to it. An elevated process refuses
// a folder that is a link or a mount point or is reached through one. Temporaries that
// exports killed on the way left in that folder go first. Throws, with the reason, when
// it cannot.
void ExportResponseFile(const _bstr_t& outputPath);
// The same rules for any copy of an answer: `answer` is where the agent's own is (never the
// target), `produce` sends the bytes.
void ExportAnswer(const _bstr_t& outputPath, const std::optional<FileLocation>& answer,
                  const std::function<void(DataReceiver&)>& produce);
// The reason for a failure (an export's, a report's, any the run meets), as one line in
// UTF-8: a file error's system message (a full disk says so), memory running out,
// otherwise what the failure says of itself.
std::string FailureReason(const std::exception& e);

// Removes the temporaries "<name>.<process id>.verimark-tmp" in the held folder whose
// process no longer runs; returns how many went.
unsigned RemoveAbandonedTemporaries(const PinnedDirectory& folder);
