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

}  // namespace
