#pragma once
// Copying files: only the console tool copies (its export of the response document), so
// only its build links this.
#include "files/FileLocation.h"
#include "files/FileRetryLog.h"
#include "files/PinnedDirectory.h"
#include "text/DataWriter.h"

#include <functional>

// Copies source to destination, replacing a destination that is there.
void CopyLocation(const FileLocation& source, const FileLocation& destination);
void ForceCopyFile(const FileLocation& source, const FileLocation& destination, FileRetryLog& log);

// Writes a new file beside `name` in the held folder, with what `produce` sends into the
// receiver it is given, and then gives it that name through its own handle: what has the
// name is replaced by a complete file or not at all, and a failure leaves nothing of its
// own behind. Both the new file and the rename are relative to the folder's handle, so
// nothing can redirect them elsewhere; the new file is made new (never through a link
// someone left at its name), and the rename replaces whatever has the name as a name.
void WriteFileIntoPlace(const PinnedDirectory& folder, U8String name, const std::function<void(DataReceiver&)>& produce,
                        FileRetryLog& log);
