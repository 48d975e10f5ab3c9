#pragma once
// What COMPLIANCE_Open checks of the agent before its first request.
#include "files/DirectoryAccess.h"
#include "files/PinnedDirectory.h"

#include <cstdint>
#include <optional>
#include <string>

// True when the agent's named mutex exists (a mutex that cannot be opened counts too).
bool IsAgentRunning();
// Success; VersionMissing when "Version" is missing, not a string or empty; VersionTooOld
// when it is below 4.1.8.
std::int32_t CheckAgentVersion();
// True when both "RequestDir" and "ResponseDir" exist, whatever their type.
bool HaveExchangeDirectories();

enum class ExchangeDirectory { Request, Response };

// An exchange directory in which someone the session does not trust may write, and what
// they may do there (files/DirectoryAccess.h).
struct DirectoryOpenToOthers {
    ExchangeDirectory which;
    std::string path;  // as the registry names it
    OtherWriter writer;
};

// The directory the registry names for it, read now, opened for the session in `opened`.
// Success; DirectoryValueMissing when the value is empty; DirectoryRefused when creating
// the directory was refused; DirectoryUnusable for everything else that stops it being
// used: a parent that is missing; a value that is not an absolute local path; a link or
// mount point, there or in a parent; a name that is not a directory; and, when the process
// is elevated, permissions that cannot be read. A missing directory is created, with a
// protected descriptor, only inside a parent that is itself what it is named.
// Whoever other than SYSTEM, the Administrators, service accounts and this process's user
// may create or change what the directory holds (its owner among them) is told in
// `openToOthers`; an elevated process then refuses the directory (DirectoryOpenToOthers),
// any other goes on.
std::int32_t PrepareExchangeDirectory(ExchangeDirectory which, std::optional<PinnedDirectory>& opened,
                                      std::optional<DirectoryOpenToOthers>& openToOthers);
