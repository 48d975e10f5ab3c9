#include "files/DirectoryAccess.h"

#include "errors/LocalMemoryHolder.h"
#include "errors/WindowsError.h"
#include "files/DirectorySecurity.h"
#include "text/Transcoding.h"

#include <aclapi.h>
#include <sddl.h>

#include <array>

namespace {

// "DOMAIN\name (SID)" when the system knows the account, the SID alone otherwise.
std::string Principal(PSID sid, const std::wstring& sidText)
{
    wchar_t name[256], domain[256];
    DWORD nameLength = 256, domainLength = 256;
    SID_NAME_USE use;
    const std::string text = NarrowReplacing(std::wstring_view(sidText));
    if (!LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use) || nameLength == 0)
        return text;
    std::wstring account = domainLength ? std::wstring(domain) + L"\\" + name : std::wstring(name);
    return NarrowReplacing(std::wstring_view(account)) + " (" + text + ")";
}

// The rights that change what a directory holds, as an entry grants them to the directory
// itself and to the files it passes them on to. Generic rights are read as what they mean
// for files.
struct Right {
    ACCESS_MASK bits;
    const char* onDirectory;
    const char* onFiles;
};
constexpr std::array<Right, 4> writeRights{{
    {FILE_ADD_FILE | GENERIC_WRITE | GENERIC_ALL, "create files in it", "write data in the files made there"},
    {FILE_ADD_SUBDIRECTORY | GENERIC_WRITE | GENERIC_ALL, "create folders in it", "append to the files made there"},
    {WRITE_DAC | GENERIC_ALL, "change its permissions", "change the permissions of the files made there"},
    {WRITE_OWNER | GENERIC_ALL, "take ownership of it", "take ownership of the files made there"},
}};

// What the first entry that grants a write right lets do, or null.
const char* GrantedRight(const ACE_HEADER& header, ACCESS_MASK mask)
{
    const bool onDirectory = !(header.AceFlags & INHERIT_ONLY_ACE);
    const bool onFiles = header.AceFlags & OBJECT_INHERIT_ACE;
    for (const Right& right : writeRights)
        if (mask & right.bits) {
            if (onDirectory)
                return right.onDirectory;
            if (onFiles)
                return right.onFiles;
        }
    return nullptr;
}

}  // namespace

bool IsTrustedAccount(std::wstring_view sid, std::wstring_view processUserSid)
{
    static constexpr std::array<std::wstring_view, 2> accounts{
        L"S-1-5-18",      // SYSTEM
        L"S-1-5-32-544",  // the Administrators
    };
    for (std::wstring_view account : accounts)
        if (sid == account)
            return true;
    // A service's own account: only an administrator installs a service.
    if (sid.starts_with(L"S-1-5-80-"))
        return true;
    return !processUserSid.empty() && sid == processUserSid;
}

std::optional<OtherWriter> FirstOtherWriter(std::wstring_view descriptorText, std::wstring_view processUserSid)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::wstring text(descriptorText);
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        ThrowLastWindowsError();
    const LocalMemoryHolder held(descriptor);

    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted))
        ThrowLastWindowsError();
    bool ownerTrusted = false;
    if (owner) {
        const std::wstring ownerText = SidText(owner);
        ownerTrusted = IsTrustedAccount(ownerText, processUserSid);
        if (!ownerTrusted)
            return OtherWriter{ownerText, Principal(owner, ownerText), "change its permissions (it owns it)"};
    }

    BOOL present = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
        ThrowLastWindowsError();
    if (!present || !dacl) {
        const std::wstring everyone = L"S-1-1-0";
        PSID sid = nullptr;
        ConvertStringSidToSidW(everyone.c_str(), &sid);
        const LocalMemoryHolder heldSid(sid);
        return OtherWriter{everyone, sid ? Principal(sid, everyone) : "Everyone (S-1-1-0)",
                           "do anything in it (it has no access list)"};
    }
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace))
            ThrowLastWindowsError();
        const auto& header = *static_cast<const ACE_HEADER*>(ace);
        // Allowing entries, conditional ones among them (same layout); object entries have
        // no meaning for files.
        if (header.AceType != ACCESS_ALLOWED_ACE_TYPE && header.AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE)
            continue;
        const auto& allowed = *static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        const char* right = GrantedRight(header, allowed.Mask);
        if (!right)
            continue;
        PSID sid = const_cast<DWORD*>(&allowed.SidStart);
        const std::wstring sidText = SidText(sid);
        if (sidText == L"S-1-3-0" || sidText == L"S-1-3-1")  // creator owner, creator group
            continue;
        if (sidText == L"S-1-3-4" ? ownerTrusted || !owner : IsTrustedAccount(sidText, processUserSid))
            continue;
        return OtherWriter{sidText, Principal(sid, sidText), right};
    }
    return std::nullopt;
}

std::wstring DescriptorTextOf(HANDLE object)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    constexpr SECURITY_INFORMATION parts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    if (const DWORD code =
            GetSecurityInfo(object, SE_FILE_OBJECT, parts, nullptr, nullptr, nullptr, nullptr, &descriptor);
        code != ERROR_SUCCESS)
        throw Windows::Error(code);
    const LocalMemoryHolder held(descriptor);
    LPWSTR text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, parts, &text, nullptr))
        ThrowLastWindowsError();
    const LocalMemoryHolder heldText(text);
    return text;
}
