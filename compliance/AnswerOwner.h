#pragma once
// Whether an answer in the response directory comes from the agent. Its freshness rests on
// a time its writer sets, so in an elevated process an answer is taken only from an owner
// no ordinary user can give a file: SYSTEM (the agent's service), the Administrators, or
// the account this process runs as. A file keeps its owner when it is moved, so the rule
// holds only as far as the response directory's permissions keep others from moving files in.
#include "text/Win32.h"

#include <string>
#include <string_view>

bool IsTrustedAnswerOwner(std::wstring_view ownerSid, std::wstring_view processUserSid);

// What the reader is told about an answer's origin. The system's own source asks the
// process's token and the file's security; tests put another in place.
class AnswerOwnerSource {
public:
    // Whether owners are checked at all: only in an elevated process (any other may be
    // misled only into what its own user could have written).
    virtual bool OwnersChecked();
    // The account this process runs as, as a SID string.
    virtual std::wstring ProcessUser();
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
