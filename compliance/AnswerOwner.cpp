#include "compliance/AnswerOwner.h"

#include "compliance/SecuritySource.h"
#include "errors/WindowsError.h"

#include <array>

bool IsTrustedAnswerOwner(std::wstring_view ownerSid, std::wstring_view processUserSid)
{
    static constexpr std::array<std::wstring_view, 2> accounts{
        L"S-1-5-18",      // SYSTEM, which the agent's service runs as
        L"S-1-5-32-544",  // the Administrators
    };
    for (std::wstring_view sid : accounts)
        if (ownerSid == sid)
            return true;
    // The account this process runs as: no other ordinary account can give a file that owner.
    return !processUserSid.empty() && ownerSid == processUserSid;
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
