#pragma once
// Copying files: only the console tool copies (its export of the response document), so
// only its build links this.
#include "files/FileLocation.h"
#include "files/FileRetryLog.h"

// Copies source to destination, replacing a destination that is there.
void CopyLocation(const FileLocation& source, const FileLocation& destination);
void ForceCopyFile(const FileLocation& source, const FileLocation& destination, FileRetryLog& log);

// Copies source into a new file beside destination and then moves that onto destination:
// destination is replaced by a complete copy or not at all, and a failed copy leaves
// nothing of its own behind.
void ForceCopyFileIntoPlace(const FileLocation& source, const FileLocation& destination, FileRetryLog& log);
