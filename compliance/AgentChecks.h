#pragma once
// What COMPLIANCE_Open checks of the agent before its first request.
#include <cstdint>

// True when the agent's named mutex exists (a mutex that cannot be opened counts too).
bool IsAgentRunning();
// Success; VersionMissing when "Version" is missing, not a string or empty; VersionTooOld
// when it is below 4.1.8.
std::int32_t CheckAgentVersion();
// True when both "RequestDir" and "ResponseDir" exist, whatever their type.
bool HaveExchangeDirectories();

enum class ExchangeDirectory { Request, Response };
// Creates the directory the registry names for it, now. Success; DirectoryUnusable when
// its parent is missing (or the value cannot name a directory at all: a file, a missing
// drive); DirectoryRefused when creating it was refused; DirectoryValueMissing when the
// value is empty.
std::int32_t PrepareExchangeDirectory(ExchangeDirectory which);
