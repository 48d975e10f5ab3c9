#pragma once
// Which texts may name a directory that a privileged process works in: an absolute path on
// a local drive and nothing the system would resolve elsewhere. A drive-relative or rooted
// path depends on the process's current directory; a UNC path reaches another machine;
// the device forms ("\\.\", "\\?\GLOBALROOT", volume names) reach objects a user may have
// linked; "." and ".." components, device names such as NUL, stream names after a colon
// and components the system trims (a trailing dot or blank) all make the directory that is
// opened differ from the one that was named.
#include "text/UString.h"

// Null when the text is such a path ("C:\ProgramData\x", also after "\\?\"); otherwise
// why not, in a few words ("a relative path", "a UNC path", ...).
const char* WhyNotAbsoluteLocalPath(U8String text);

