#pragma once
// Copying files: only the console tool copies (its export of the response document), so
// only its build links this.
#include "files/FileLocation.h"
#include "files/FileRetryLog.h"
#include "text/DataWriter.h"

#include <functional>

// Copies source to destination, replacing a destination that is there.
void CopyLocation(const FileLocation& source, const FileLocation& destination);
void ForceCopyFile(const FileLocation& source, const FileLocation& destination, FileRetryLog& log);

// Writes a new file beside `destination`, with what `produce` sends into the receiver it is
// given, and then gives it the destination's name through its own handle: the destination
// is replaced by a complete file or not at all, and a failure leaves nothing of its own
// behind. The new file is made new (never through a link someone left at its name), and
// the final rename replaces whatever has the destination's name as a name.
void WriteFileIntoPlace(const FileLocation& destination, const std::function<void(DataReceiver&)>& produce,
                        FileRetryLog& log);
