#include "files/DirectorySecurity.h"

#include "errors/WindowsError.h"
#include "text/UniqueResource.h"

#include <aclapi.h>
#include <sddl.h>

#include <array>
#include <vector>

namespace {

UniqueHandle ProcessToken()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        ThrowLastWindowsError();
    return UniqueHandle(token);
}

}  // namespace

std::wstring ProtectedDirectoryDescriptorText(std::wstring_view userSid)
{
    // P: protected (no inherited entries); OICI: files and folders inside inherit; FA: all.
    std::wstring text = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    if (!userSid.empty()) {
        text += L"(A;OICI;FA;;;";
        text += userSid;
        text += L")";
    }
    return text;
}

ProtectedDirectorySecurity::ProtectedDirectorySecurity()
    : text_(ProtectedDirectoryDescriptorText(ProcessIsElevated() ? std::wstring() : ProcessUserSid()))
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text_.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        ThrowLastWindowsError();
    descriptor_.Reset(descriptor);
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor;
    attributes_.bInheritHandle = FALSE;
}

std::wstring SidText(PSID sid)
{
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text))
        ThrowLastWindowsError();
    const LocalMemoryHolder owner(text);
    return text;
}

bool ProcessIsElevated()
{
    const UniqueHandle token = ProcessToken();
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size))
        ThrowLastWindowsError();
    return elevation.TokenIsElevated != 0;
}

std::wstring ProcessUserSid()
{
    const UniqueHandle token = ProcessToken();
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<std::byte> buffer(size);
    if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
        ThrowLastWindowsError();
    return SidText(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

std::wstring OwnerSidOf(HANDLE object)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (const DWORD code = GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                           nullptr, &descriptor);
        code != ERROR_SUCCESS)
        throw Windows::Error(code);
    const LocalMemoryHolder held(descriptor);
    return SidText(owner);
}
