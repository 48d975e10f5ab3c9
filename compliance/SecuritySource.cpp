#include "compliance/SecuritySource.h"

#include "files/DirectoryAccess.h"
#include "files/DirectorySecurity.h"

namespace {

class SystemSecurity final : public SecuritySource {};

SystemSecurity systemSource;
SecuritySource* current = &systemSource;

}  // namespace

bool SecuritySource::Elevated()
{
    static const bool elevated = ProcessIsElevated();
    return elevated;
}

std::wstring SecuritySource::ProcessUser()
{
    static const std::wstring user = ProcessUserSid();
    return user;
}

std::wstring SecuritySource::OwnerOf(HANDLE object) { return OwnerSidOf(object); }

std::wstring SecuritySource::DescriptorOf(HANDLE object) { return DescriptorTextOf(object); }

SecuritySource& CurrentSecuritySource() { return *current; }

ScopedSecuritySource::ScopedSecuritySource(SecuritySource& source) : previous_(current) { current = &source; }
ScopedSecuritySource::~ScopedSecuritySource() { current = previous_; }
