#include "files/DirectoryAccess.h"

#include "errors/WindowsError.h"

#include <gtest/gtest.h>

namespace {

// Wine keeps no access lists, so directories are given as the descriptors a Windows machine
// would show, in their text form. The process runs as `self`.
constexpr const wchar_t* self = L"S-1-5-21-1-2-3-500";
constexpr const wchar_t* installer = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

TEST(DirectoryAccess, OnlySystemTheAdministratorsServicesAndTheProcessMayChangeWhatADirectoryHolds)
{
    const std::wstring protectedList = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    const struct {
        const char* what;
        std::wstring descriptor;
        const wchar_t* writer;  // null: nobody untrusted
        const char* right;
    } cases[] = {
        // Folders a run may use.
        {"what a run creates", L"O:BA" + protectedList, nullptr, nullptr},
        {"users may read and list", L"O:SY" + protectedList + L"(A;OICI;0x1200a9;;;BU)", nullptr, nullptr},
        {"owned and written by this account (Wine's own)", L"O:S-1-5-21-1-2-3-500D:(A;OICI;FA;;;SY)(A;OICI;FA;;;S-1-5-21-1-2-3-500)(A;OICI;0x1200a9;;;WD)", nullptr, nullptr},
        {"a service's own account", std::wstring(L"O:") + installer + L"D:(A;OICI;FA;;;" + installer + L")", nullptr, nullptr},
        {"creator owner reaches only who may create", L"O:SY" + protectedList + L"(A;OICIIO;GA;;;CO)", nullptr, nullptr},
        {"owner rights of a trusted owner", L"O:SY" + protectedList + L"(A;;FA;;;OW)", nullptr, nullptr},
        {"a right for sub-folders only", L"O:SY" + protectedList + L"(A;CIIO;0x6;;;BU)", nullptr, nullptr},
        {"an empty list", L"O:SYD:P", nullptr, nullptr},
        // Folders where someone else may plant or change answers.
        {"users may create files", L"O:SY" + protectedList + L"(A;;0x2;;;BU)", L"S-1-5-32-545", "create files in it"},
        {"everyone may create folders", L"O:SY" + protectedList + L"(A;;0x4;;;WD)", L"S-1-1-0", "create folders in it"},
        {"generic write", L"O:SY" + protectedList + L"(A;;GW;;;AU)", L"S-1-5-11", "create files in it"},
        {"generic all", L"O:SY" + protectedList + L"(A;;GA;;;IU)", L"S-1-5-4", "create files in it"},
        {"change permissions", L"O:SY" + protectedList + L"(A;;WD;;;BU)", L"S-1-5-32-545", "change its permissions"},
        {"take ownership", L"O:SY" + protectedList + L"(A;;WO;;;BU)", L"S-1-5-32-545", "take ownership of it"},
        {"writing the agent's files", L"O:SY" + protectedList + L"(A;OIIO;0x2;;;BU)", L"S-1-5-32-545", "write data in the files made there"},
        {"appending to them", L"O:SY" + protectedList + L"(A;OIIO;0x4;;;BU)", L"S-1-5-32-545", "append to the files made there"},
        {"their permissions", L"O:SY" + protectedList + L"(A;OIIO;WD;;;BU)", L"S-1-5-32-545", "change the permissions of the files made there"},
        {"ProgramData's own grant", L"O:SYD:P(A;OICIIO;GA;;;CO)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;CI;0x116;;;BU)", L"S-1-5-32-545", "create files in it"},
        {"the local service account", L"O:SY" + protectedList + L"(A;;FA;;;LS)", L"S-1-5-19", "create files in it"},
        {"not a service's own", L"O:SY" + protectedList + L"(A;;0x2;;;S-1-5-80)", L"S-1-5-80", "create files in it"},
        {"another user", L"O:SY" + protectedList + L"(A;;0x2;;;S-1-5-21-1-2-3-1001)", L"S-1-5-21-1-2-3-1001", "create files in it"},
        {"a deny does not undo a grant", L"O:SYD:P(D;;0x2;;;BU)(A;OICI;FA;;;SY)(A;;0x2;;;BU)", L"S-1-5-32-545", "create files in it"},
        {"owned by another user", L"O:S-1-5-21-1-2-3-1001" + protectedList, L"S-1-5-21-1-2-3-1001", "change its permissions (it owns it)"},
        {"owned by the users", L"O:BU" + protectedList, L"S-1-5-32-545", "change its permissions (it owns it)"},
        {"owner rights of an untrusted owner", L"O:S-1-5-21-1-2-3-1001" + protectedList + L"(A;;FA;;;OW)", L"S-1-5-21-1-2-3-1001", "change its permissions (it owns it)"},
        {"no list at all", L"O:SY", L"S-1-1-0", "do anything in it (it has no access list)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<OtherWriter> writer = FirstOtherWriter(c.descriptor, self);
        ASSERT_EQ(writer.has_value(), c.writer != nullptr) << (writer ? writer->principal : "");
        if (!writer)
            continue;
        EXPECT_EQ(writer->sid, c.writer);
        EXPECT_EQ(writer->right, c.right);
        // Named for people where the system knows the account, always with its SID.
        const std::string sid(writer->sid.begin(), writer->sid.end());
        EXPECT_TRUE(writer->principal == sid || writer->principal.ends_with(" (" + sid + ")")) << writer->principal;
    }
    // Another process's account is just another user.
    EXPECT_EQ(FirstOtherWriter(L"O:S-1-5-21-1-2-3-500" + protectedList, L"")->sid, L"S-1-5-21-1-2-3-500");
    EXPECT_THROW(FirstOtherWriter(L"not a descriptor", self), Windows::Error);
}

TEST(DirectoryAccess, TrustedAccounts)
{
    for (const wchar_t* sid : {L"S-1-5-18", L"S-1-5-32-544", installer, self})
        EXPECT_TRUE(IsTrustedAccount(sid, self)) << sid;
    for (const wchar_t* sid : {L"S-1-5-21-1-2-3-1001", L"S-1-5-32-545", L"S-1-1-0", L"S-1-5-11", L"S-1-5-19", L"S-1-5-80"})
        EXPECT_FALSE(IsTrustedAccount(sid, self)) << sid;
}

}  // namespace
