#pragma once
// Who may change what a directory holds, read from its security descriptor: the grants of
// its access list to the directory itself and to the files made inside it, and its owner.
#include "text/Win32.h"

#include <optional>
#include <string>
#include <string_view>

// Someone the reader does not trust, and one thing they may do there.
struct OtherWriter {
    std::wstring sid;       // as a SID string ("S-1-5-32-545")
    std::string principal;  // for people: "BUILTIN\Users (S-1-5-32-545)", or the SID alone
    std::string right;      // after "may": "create files in it", "write data in the files made there", ...
};

// Whether an account may be let change what a privileged reader relies on: SYSTEM, the
// Administrators, a service's own account (S-1-5-80-..., TrustedInstaller among them), or
// `processUserSid` (empty: nobody else).
bool IsTrustedAccount(std::wstring_view sid, std::wstring_view processUserSid);

// The first account other than trusted ones (IsTrustedAccount) that may create files or
// folders in the directory, write or append to the files made there, or change the
// permissions or take ownership of either; nothing when there is none. The descriptor is
// given as text (SDDL) with its owner and access list. An owner that is not trusted counts
// (it may change the permissions whatever they say), as does a missing list (everyone may
// do anything). "Creator owner" entries reach only whoever creates there, and "owner
// rights" only the owner, so they count as their holder does. Entries that deny are not
// relied on: a grant is read as a grant. Throws Windows::Error for text that is not a
// descriptor.
std::optional<OtherWriter> FirstOtherWriter(std::wstring_view descriptorText, std::wstring_view processUserSid);

// The owner and access list of an open object (the handle needs READ_CONTROL) as SDDL.
std::wstring DescriptorTextOf(HANDLE object);
