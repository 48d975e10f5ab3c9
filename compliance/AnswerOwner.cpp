#include "compliance/AnswerOwner.h"

#include "errors/WindowsError.h"
#include "files/DirectorySecurity.h"

#include <array>

namespace {

class SystemAnswerOwners final : public AnswerOwnerSource {};

SystemAnswerOwners systemSource;
AnswerOwnerSource* current = &systemSource;

bool RunningUnderWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace

bool IsTrustedAnswerOwner(std::wstring_view ownerSid)
{
    static constexpr std::array<std::wstring_view, 4> accounts{
        L"S-1-5-18",      // SYSTEM
        L"S-1-5-19",      // the local service account
        L"S-1-5-20",      // the network service account
        L"S-1-5-32-544",  // the Administrators
    };
    for (std::wstring_view sid : accounts)
        if (ownerSid == sid)
            return true;
    // "NT SERVICE\<name>": a service's own account, TrustedInstaller among them. Only the
    // service control manager puts such a SID into a token.
    constexpr std::wstring_view services = L"S-1-5-80-";
    return ownerSid.size() > services.size() && ownerSid.substr(0, services.size()) == services;
}

bool AnswerOwnerSource::OwnersChecked()
{
    static const bool checked = !RunningUnderWine() && ProcessIsElevated();
    return checked;
}

std::wstring AnswerOwnerSource::OwnerOf(HANDLE file) { return OwnerSidOf(file); }

AnswerOwnerSource& CurrentAnswerOwnerSource() { return *current; }

ScopedAnswerOwnerSource::ScopedAnswerOwnerSource(AnswerOwnerSource& source) : previous_(current) { current = &source; }
ScopedAnswerOwnerSource::~ScopedAnswerOwnerSource() { current = previous_; }

bool AnswerFromTrustedOwner(HANDLE file)
{
    AnswerOwnerSource& source = CurrentAnswerOwnerSource();
    try {
        return !source.OwnersChecked() || IsTrustedAnswerOwner(source.OwnerOf(file));
    } catch (const Windows::Error&) {
        return false;  // whether to check, or the owner, could not be told
    }
}
