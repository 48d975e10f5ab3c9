#pragma once
// The export of the agent's answer ("-x").
#include "text/Bstr.h"

#include <string>

// Copies the answer the session's results were read from to outputPath, byte for byte:
// whatever is at the path stays until a complete copy replaces it. Temporaries that
// exports killed on the way left in that folder go first. Throws, with the reason, when
// it cannot.
void ExportResponseFile(const _bstr_t& outputPath);

// Removes the temporaries "<name>.<process id>.verimark-tmp" in `folder` (UTF-16, no
// trailing separator) whose process no longer runs; returns how many went.
unsigned RemoveAbandonedTemporaries(const std::wstring& folder);
