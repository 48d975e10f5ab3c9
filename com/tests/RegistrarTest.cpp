// The registry script language, applied to a scratch key instead of the real roots.
#include "com/Registrar.h"
#include "com/tests/MemoryRegistry.h"
#include "text/UniqueResource.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

const wchar_t* const scratchPath = L"Software\\VerimarkRegistrarTest";

class RegistrarScripts : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratchPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        scratch_.Reset(key);
        registrar_ = std::make_unique<Registrar>([this](HKEY) { return scratch_.Get(); });
        registrar_->AddReplacement(L"Module", L"C:\\it''s\\x.dll");
    }
    void TearDown() override
    {
        scratch_.Reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath);
    }
    bool KeyExists(const std::wstring& path)
    {
        UniqueRegistryKey key;
        return RegOpenKeyExW(scratch_.Get(), path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
    }
    std::optional<std::wstring> String(const std::wstring& path, const wchar_t* name = nullptr)
    {
        wchar_t buffer[512];
        DWORD size = sizeof buffer;
        if (RegGetValueW(scratch_.Get(), path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
            return std::nullopt;
        return std::wstring(buffer);
    }
    std::vector<BYTE> Raw(const std::wstring& path, const wchar_t* name, DWORD& type)
    {
        BYTE buffer[512];
        DWORD size = sizeof buffer;
        if (RegGetValueW(scratch_.Get(), path.c_str(), name, RRF_RT_ANY, &type, buffer, &size) != ERROR_SUCCESS)
            return {};
        return std::vector<BYTE>(buffer, buffer + size);
    }

    UniqueRegistryKey scratch_;
    std::unique_ptr<Registrar> registrar_;
};

const wchar_t* const classScript =
    L"HKCR\r\n{\r\n\tX.Y.1 = s 'Y Class'\r\n\t{\r\n\t\tCLSID = s '{1}'\r\n\t}\r\n"
    L"\tNoRemove CLSID\r\n\t{\r\n\t\tForceRemove {1} = s 'Y Class'\r\n\t\t{\r\n"
    L"\t\t\tForceRemove 'Programmable'\r\n\t\t\tInprocServer32 = s '%MODULE%'\r\n\t\t\t{\r\n"
    L"\t\t\t\tval ThreadingModel = s 'Apartment'\r\n\t\t\t}\r\n\t\t}\r\n\t}\r\n}\r\n";

TEST_F(RegistrarScripts, RegistersAndUnregistersAClass)
{
    ASSERT_EQ(registrar_->Run(classScript, true), S_OK);
    EXPECT_EQ(String(L"X.Y.1"), L"Y Class");
    EXPECT_EQ(String(L"X.Y.1\\CLSID"), L"{1}");
    EXPECT_EQ(String(L"CLSID\\{1}\\InprocServer32"), L"C:\\it's\\x.dll");  // the doubled quote reads as one
    EXPECT_EQ(String(L"CLSID\\{1}\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_TRUE(KeyExists(L"CLSID\\{1}\\Programmable"));
    // ForceRemove clears what was there before.
    UniqueRegistryKey stray;
    RegCreateKeyExW(scratch_.Get(), L"CLSID\\{1}\\Stray", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, stray.Put(), nullptr);
    stray.Reset();
    ASSERT_EQ(registrar_->Run(classScript, true), S_OK);
    EXPECT_FALSE(KeyExists(L"CLSID\\{1}\\Stray"));

    ASSERT_EQ(registrar_->Run(classScript, false), S_OK);
    EXPECT_FALSE(KeyExists(L"X.Y.1"));
    EXPECT_FALSE(KeyExists(L"CLSID\\{1}"));
    EXPECT_TRUE(KeyExists(L"CLSID"));  // NoRemove
    EXPECT_EQ(registrar_->Run(classScript, false), S_OK);  // missing keys are skipped
}

TEST_F(RegistrarScripts, UnregisteringKeepsKeysThatStillHaveSubkeys)
{
    ASSERT_EQ(registrar_->Run(L"HKCU { A { B = s 'b' } }", true), S_OK);
    UniqueRegistryKey other;
    RegCreateKeyExW(scratch_.Get(), L"A\\Other", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, other.Put(), nullptr);
    other.Reset();
    ASSERT_EQ(registrar_->Run(L"HKCU { A { B = s 'b' } }", false), S_OK);
    EXPECT_FALSE(KeyExists(L"A\\B"));
    EXPECT_TRUE(KeyExists(L"A\\Other"));
}

TEST_F(RegistrarScripts, ValueTypes)
{
    ASSERT_EQ(registrar_->Run(L"HKLM { K { val S = s 'a b' val D = d '4294967295' val B = b 'DEad01' "
                              L"val M = m 'one\\0two' } }",
                              true),
              S_OK);
    DWORD type = 0;
    EXPECT_EQ(String(L"K", L"S"), L"a b");
    std::vector<BYTE> d = Raw(L"K", L"D", type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(*reinterpret_cast<DWORD*>(d.data()), 0xFFFFFFFFu);
    EXPECT_EQ(Raw(L"K", L"B", type), (std::vector<BYTE>{0xDE, 0xAD, 0x01}));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    const std::vector<BYTE> m = Raw(L"K", L"M", type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    const std::wstring multi(reinterpret_cast<const wchar_t*>(m.data()), m.size() / sizeof(wchar_t));
    EXPECT_EQ(multi, std::wstring(L"one\0two\0\0", 9));
    ASSERT_EQ(registrar_->Run(L"HKLM { NoRemove K { NoRemove val S = s 'x' val D = d '0' val Gone = s '' } }", false),
              S_OK);
    EXPECT_TRUE(String(L"K", L"S"));
    EXPECT_TRUE(Raw(L"K", L"D", type).empty());
}

TEST_F(RegistrarScripts, DeleteAndProtectedNames)
{
    ASSERT_EQ(registrar_->Run(L"HKCR { Old { Inner = s 'x' } Software { Keep = s 'k' } }", true), S_OK);
    ASSERT_EQ(registrar_->Run(L"HKCR { Delete Old ForceRemove Software = s 'v' Delete CLSID }", true), S_OK);
    EXPECT_FALSE(KeyExists(L"Old"));
    EXPECT_TRUE(KeyExists(L"Software\\Keep"));  // never deleted by name
    EXPECT_EQ(String(L"Software"), L"v");
}

TEST_F(RegistrarScripts, MalformedScriptsAndTheirCodes)
{
    EXPECT_EQ(registrar_->Run(L"HKXX { A }", true), DISP_E_EXCEPTION);
    EXPECT_EQ(registrar_->Run(L"HKCU", true), DISP_E_EXCEPTION);
    EXPECT_EQ(registrar_->Run(L"HKCU { A = q 'x' }", true), DISP_E_EXCEPTION);
    EXPECT_EQ(registrar_->Run(L"HKCU { A = s 'open", true), DISP_E_EXCEPTION);
    EXPECT_EQ(registrar_->Run(L"HKCU { A\\B }", true), DISP_E_EXCEPTION);
    EXPECT_EQ(registrar_->Run(L"HKCU { A = b 'abc' }", true), E_FAIL);
    EXPECT_EQ(registrar_->Run(L"HKCU { A = s '%UNKNOWN%' }", true), DISP_E_EXCEPTION);
    EXPECT_EQ(registrar_->Run(L"HKCU { A = s '%MODULE' }", true), DISP_E_EXCEPTION);
    EXPECT_EQ(registrar_->Run(L"HKCU { A = s '%" + std::wstring(32, L'N') + L"%' }", true), E_FAIL);
    EXPECT_EQ(registrar_->Run(L"HKCU { A = s '" + std::wstring(4097, L'x') + L"' }", true), DISP_E_EXCEPTION);
    EXPECT_EQ(registrar_->Run(L"HKCU { A = d 'ten' }", true), DISP_E_TYPEMISMATCH);
    EXPECT_FALSE(KeyExists(L"A"));
    // Replacement names ignore case; %% is one percent sign.
    ASSERT_EQ(registrar_->Run(L"hkey_current_user { A = s '%module% 100%%' }", true), S_OK);
    EXPECT_EQ(String(L"A"), L"C:\\it's\\x.dll 100%");
}

TEST(RegistryEditor, BlockThatFailsPartWayIsTakenBackAndNoKeyStaysOpen)
{
    // Every registry operation in turn fails once; what the block wrote before is removed
    // again, the failure is what is reported, and no handle is left open.
    const auto decimal = [](const std::wstring&, std::uint32_t& n) {
        n = 1;
        return 0;
    };
    const std::map<std::wstring, std::wstring> replacements{{L"MODULE", L"x.dll"}};
    for (std::size_t n = 1;; ++n) {
        ASSERT_LT(n, 200u) << "the script never got through";
        MemoryRegistry registry;
        registry.FailOperation(n);
        const std::int32_t result = registry.Run(classScript, replacements, decimal, true);
        EXPECT_EQ(registry.OpenHandles(), 0u) << n;
        if (result == 0)
            break;
        EXPECT_EQ(result, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)) << n;
        // Only the key that the script keeps on unregistering may be left: NoRemove CLSID.
        for (const auto& [root, node] : registry.Roots())
            for (const auto& [name, key] : node.keys)
                EXPECT_TRUE(name == L"CLSID" && key.keys.empty() && key.values.empty()) << n;
    }
}

}  // namespace
