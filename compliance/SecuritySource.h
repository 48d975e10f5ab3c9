#pragma once
// What the session is told about security: whether this process is elevated, whose account
// it runs as, and the owner and permissions of the files and directories it works with. The
// system's own source asks the process's token and the objects' descriptors; tests put
// another in place (Wine keeps no owners or access lists of its own).
#include "text/Win32.h"

#include <string>

class SecuritySource {
public:
    // Whether this process is elevated: the session then trusts only what no ordinary user
    // can have made (any other process may be misled only into what its own user could do).
    virtual bool Elevated();
    // The account this process runs as, as a SID string.
    virtual std::wstring ProcessUser();
    // The owner of the open object as a SID string; throws when it cannot be read.
    virtual std::wstring OwnerOf(HANDLE object);
    // The owner and access list of the open object as SDDL; throws when they cannot be read.
    virtual std::wstring DescriptorOf(HANDLE object);

protected:
    ~SecuritySource() = default;
};

SecuritySource& CurrentSecuritySource();

// Puts a source in place for its own lifetime. Not for use while another thread runs a session.
class ScopedSecuritySource {
public:
    explicit ScopedSecuritySource(SecuritySource& source);
    ScopedSecuritySource(const ScopedSecuritySource&) = delete;
    ScopedSecuritySource& operator=(const ScopedSecuritySource&) = delete;
    ~ScopedSecuritySource();

private:
    SecuritySource* previous_;
};
