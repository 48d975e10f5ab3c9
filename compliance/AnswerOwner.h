#pragma once
// Whether an answer in the response directory comes from the agent. Its freshness rests on
// a time its writer sets, so in an elevated process an answer is taken only from an owner
// no ordinary user can be: SYSTEM, the Administrators, the local and network service
// accounts, or a service's own account (the agent's, when it runs as one). A user who can
// write into the response directory cannot give a file any of these owners.
#include "text/Win32.h"

#include <string>
#include <string_view>

bool IsTrustedAnswerOwner(std::wstring_view ownerSid);

// What the reader is told about an answer's origin. The system's own source asks the
// process's token and the file's security; tests put another in place.
class AnswerOwnerSource {
public:
    // Whether owners are checked at all: only in an elevated process (any other may be
    // misled only into what its own user could have written), and only where owners are
    // real (Wine gives every file the one user as owner and every process an elevated token).
    virtual bool OwnersChecked();
    // The owner of the open file as a SID string; throws when it cannot be read.
    virtual std::wstring OwnerOf(HANDLE file);

protected:
    ~AnswerOwnerSource() = default;
};

AnswerOwnerSource& CurrentAnswerOwnerSource();

// Puts a source in place for its own lifetime. Not for use while another thread reads answers.
class ScopedAnswerOwnerSource {
public:
    explicit ScopedAnswerOwnerSource(AnswerOwnerSource& source);
    ScopedAnswerOwnerSource(const ScopedAnswerOwnerSource&) = delete;
    ScopedAnswerOwnerSource& operator=(const ScopedAnswerOwnerSource&) = delete;
    ~ScopedAnswerOwnerSource();

private:
    AnswerOwnerSource* previous_;
};

// Whether the open answer may be taken, by the source in force. An owner that cannot be read
// is not a trusted one.
bool AnswerFromTrustedOwner(HANDLE file);
