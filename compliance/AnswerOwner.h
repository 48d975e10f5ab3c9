#pragma once
// Whether an answer in the response directory comes from the agent. Its freshness rests on
// a time its writer sets, so in an elevated process an answer is taken only from an owner
// no ordinary user can give a file: SYSTEM (the agent's service), the Administrators, or
// the account this process runs as. A file keeps its owner when it is moved, so the rule
// holds only as far as the response directory's permissions keep others from moving files
// in: the session reads them before it uses the directory (compliance/AgentChecks.h).
#include "text/Win32.h"

#include <string_view>

bool IsTrustedAnswerOwner(std::wstring_view ownerSid, std::wstring_view processUserSid);

// Whether the open answer may be taken, by the security source in force
// (compliance/SecuritySource.h). An owner that cannot be read is not a trusted one.
bool AnswerFromTrustedOwner(HANDLE file);
