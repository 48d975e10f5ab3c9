#include "compliance/AnswerOwner.h"

#include "compliance/SecuritySource.h"
#include "errors/WindowsError.h"
#include "files/DirectoryAccess.h"

bool IsTrustedAnswerOwner(std::wstring_view ownerSid, std::wstring_view processUserSid)
{
    // The accounts trusted with the exchange folders (SYSTEM, the agent's service; the
    // Administrators; this process's own account), but not services': many programs that
    // are not the agent run as those.
    return !ownerSid.starts_with(L"S-1-5-80-") && IsTrustedAccount(ownerSid, processUserSid);
}

bool AnswerFromTrustedOwner(HANDLE file)
{
    SecuritySource& source = CurrentSecuritySource();
    try {
        return !source.Elevated() || IsTrustedAnswerOwner(source.OwnerOf(file), source.ProcessUser());
    } catch (const Windows::Error&) {
        return false;  // whether to check, or the owner, could not be told
    }
}
