#include "compliance/AnswerOwner.h"

#include "errors/WindowsError.h"
#include "files/DirectorySecurity.h"

#include <array>

namespace {

class SystemAnswerOwners final : public AnswerOwnerSource {};

SystemAnswerOwners systemSource;
AnswerOwnerSource* current = &systemSource;

}  // namespace

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

bool AnswerOwnerSource::OwnersChecked()
{
    static const bool checked = ProcessIsElevated();
    return checked;
}

std::wstring AnswerOwnerSource::ProcessUser()
{
    static const std::wstring user = ProcessUserSid();
    return user;
}

std::wstring AnswerOwnerSource::OwnerOf(HANDLE file) { return OwnerSidOf(file); }

AnswerOwnerSource& CurrentAnswerOwnerSource() { return *current; }

ScopedAnswerOwnerSource::ScopedAnswerOwnerSource(AnswerOwnerSource& source) : previous_(current) { current = &source; }
ScopedAnswerOwnerSource::~ScopedAnswerOwnerSource() { current = previous_; }

bool AnswerFromTrustedOwner(HANDLE file)
{
    AnswerOwnerSource& source = CurrentAnswerOwnerSource();
    try {
        return !source.OwnersChecked() || IsTrustedAnswerOwner(source.OwnerOf(file), source.ProcessUser());
    } catch (const Windows::Error&) {
        return false;  // whether to check, or the owner, could not be told
    }
}
