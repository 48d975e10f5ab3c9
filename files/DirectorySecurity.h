#pragma once
// Who may change the directories a privileged process creates and works in.
#include "errors/LocalMemoryHolder.h"
#include "text/Win32.h"

#include <string>
#include <string_view>

// The descriptor a new directory gets: full control for SYSTEM and the Administrators, and
// for the creating user when the process is not elevated (else it could not use what it
// made); protected, so that nothing is inherited from a parent where every user may
// create files (ProgramData). Files made inside inherit the same.
class ProtectedDirectorySecurity {
public:
    ProtectedDirectorySecurity();
    ProtectedDirectorySecurity(const ProtectedDirectorySecurity&) = delete;
    ProtectedDirectorySecurity& operator=(const ProtectedDirectorySecurity&) = delete;

    SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }
    // The descriptor in the system's text form (SDDL), as it was built.
    const std::wstring& Text() const { return text_; }

private:
    std::wstring text_;
    LocalMemoryHolder descriptor_;
    SECURITY_ATTRIBUTES attributes_{};
};

// The text the descriptor is built from, for the given user (empty: elevated, none added).
std::wstring ProtectedDirectoryDescriptorText(std::wstring_view userSid);

bool ProcessIsElevated();
// A SID in its text form ("S-1-5-18").
std::wstring SidText(PSID sid);
// The process's user as a SID string ("S-1-5-21-...").
std::wstring ProcessUserSid();
// The owner of an open object (the handle needs READ_CONTROL) as a SID string.
std::wstring OwnerSidOf(HANDLE object);
