#include "files/DirectorySecurity.h"

#include <gtest/gtest.h>

#include <sddl.h>

namespace {

// Wine keeps no descriptor on a directory, so what can be seen here is the descriptor as
// it is handed to the system: the text it is built from, read back from the built form.
TEST(DirectorySecurity, NewDirectoriesGetAProtectedDescriptorForTheAdministratorsAndSystem)
{
    EXPECT_EQ(ProtectedDirectoryDescriptorText(L""), L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
    EXPECT_EQ(ProtectedDirectoryDescriptorText(L"S-1-5-21-1-2-3-1001"),
              L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;S-1-5-21-1-2-3-1001)");

    ProtectedDirectorySecurity security;
    const std::wstring user = ProcessIsElevated() ? L"" : ProcessUserSid();
    EXPECT_EQ(security.Text(), ProtectedDirectoryDescriptorText(user));
    const SECURITY_ATTRIBUTES* attributes = security.Attributes();
    ASSERT_EQ(attributes->nLength, sizeof(SECURITY_ATTRIBUTES));
    EXPECT_FALSE(attributes->bInheritHandle);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(attributes->lpSecurityDescriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    EXPECT_TRUE(control & SE_DACL_PRESENT);
    LPWSTR text = nullptr;
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorW(attributes->lpSecurityDescriptor, SDDL_REVISION_1,
                                                                     DACL_SECURITY_INFORMATION, &text, nullptr));
    const std::wstring readBack = text;
    LocalFree(text);
    EXPECT_EQ(readBack, security.Text());
}

TEST(DirectorySecurity, AnElevatedProcessTrustsOnlyPrivilegedOwnersAndItself)
{
    const std::wstring self = L"S-1-5-21-1-2-3-500";
    const struct {
        const wchar_t* owner;
        bool trusted;
    } cases[] = {
        {L"S-1-5-18", true},                                                         // SYSTEM
        {L"S-1-5-32-544", true},                                                     // the Administrators
        {L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", true},   // TrustedInstaller
        {L"S-1-5-21-1-2-3-500", true},                                               // the process's user
        {L"S-1-5-21-1-2-3-1001", false},                                             // another user
        {L"S-1-5-32-545", false},                                                    // the Users
        {L"S-1-1-0", false},                                                         // Everyone
        {L"S-1-5-11", false},                                                        // Authenticated Users
        {L"S-1-5-19", false},                                                        // LOCAL SERVICE
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.owner);
        EXPECT_EQ(IsTrustedOwner(c.owner, self), c.trusted);
    }
    EXPECT_FALSE(IsTrustedOwner(L"S-1-5-21-1-2-3-1001", L""));
}

}  // namespace
