#include "compliance/Registry.h"
#include "compliance/tests/MachineState.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

const wchar_t* const testKey = L"SOFTWARE\\Quorlan\\VerimarkTest";

TEST(Registry, ReadsStringsOnly)
{
    RegistryValues values;
    values.SetString(testKey, L"Text", L"caf\x00E9");
    values.SetDword(testKey, L"Number", 7);
    const auto text = ReadRegistryString(testKey, L"Text");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->StringView(), "caf\xC3\xA9");
    EXPECT_FALSE(ReadRegistryString(testKey, L"Number"));
    EXPECT_FALSE(ReadRegistryString(testKey, L"Missing"));
    EXPECT_FALSE(ReadRegistryString(L"SOFTWARE\\Quorlan\\NoSuchKey", L"Text"));
    EXPECT_TRUE(RegistryValueExists(testKey, L"Number"));
    EXPECT_TRUE(RegistryValueExists(testKey, L"Text"));
    EXPECT_FALSE(RegistryValueExists(testKey, L"Missing"));
}

// The agent writes its values under these keys, whatever the code names them: written here
// under the literal paths, the core must find them. (The core, the stand-in agent and the
// other tests share one constant, which alone could be wrong for all of them.)
TEST(Registry, TheAgentsKeysAreTheseLiterally)
{
    RegistryValues values;
    values.SetString(L"Software\\Quorlan\\EnterpriseClient", L"Version", L"9.8.7");
    values.SetString(L"SOFTWARE\\Quorlan\\VerimarkAPI", L"RequestDir", L"C:\\literal\\requests");
    values.SetString(L"SOFTWARE\\Quorlan\\VerimarkAPI", L"ResponseDir", L"C:\\literal\\responses");
    const auto read = [](const wchar_t* key, const wchar_t* name) {
        const std::optional<CopiedU8String> value = ReadRegistryString(key, name);
        return value ? std::string(value->StringView()) : std::string("(missing)");
    };
    EXPECT_EQ(read(ClientKeyPath, L"Version"), "9.8.7");
    EXPECT_EQ(read(ApiKeyPath, L"RequestDir"), "C:\\literal\\requests");
    EXPECT_EQ(read(ApiKeyPath, L"ResponseDir"), "C:\\literal\\responses");
}

TEST(Registry, StringWithoutTerminatorOrWithAnEmbeddedZero)
{
    RegistryValues values;
    values.SetString(testKey, L"Raw", L"");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, testKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    const UniqueRegistryKey owner(key);
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    RegSetValueExW(key, L"Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated), sizeof unterminated);
    EXPECT_EQ(ReadRegistryString(testKey, L"Raw")->StringView(), "abc");
    const wchar_t embedded[] = {L'a', 0, L'b', 0};
    RegSetValueExW(key, L"Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(embedded), sizeof embedded);
    EXPECT_EQ(ReadRegistryString(testKey, L"Raw")->StringView(), "a");
}

// The agent's values may be in the process's own registry view, in the other one, or in
// both: each is read from the own view first, and from the other only when missing there.
TEST(Registry, EachValueFromTheOwnViewFirstThenFromTheOther)
{
    struct Case {
        const char* what;
        std::optional<std::wstring> own, other;  // a string value, or none
        bool ownIsNumber;
        std::optional<std::string> read;
        bool exists;
    };
    const Case cases[] = {
        {"only in the own view", L"own", std::nullopt, false, "own", true},
        {"only in the other view", std::nullopt, L"other", false, "other", true},
        {"in both: the own view wins", L"own", L"other", false, "own", true},
        {"a number in the own view is its answer", std::nullopt, L"other", true, std::nullopt, true},
        {"in neither", std::nullopt, std::nullopt, false, std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegistryValues own, other(RegistryView::Other);
        own.Remove(testKey, L"Value");
        other.Remove(testKey, L"Value");
        if (c.own)
            own.SetString(testKey, L"Value", *c.own);
        if (c.ownIsNumber)
            own.SetDword(testKey, L"Value", 1);
        if (c.other)
            other.SetString(testKey, L"Value", *c.other);
        const auto read = ReadRegistryString(testKey, L"Value");
        EXPECT_EQ(read ? std::optional<std::string>(read->StringView()) : std::nullopt, c.read);
        EXPECT_EQ(RegistryValueExists(testKey, L"Value"), c.exists);
    }
    // A key that the own view does not have at all.
    const wchar_t* const otherOnlyKey = L"SOFTWARE\\Quorlan\\VerimarkTestOtherViewOnly";
    RegistryValues other(RegistryView::Other);
    other.SetString(otherOnlyKey, L"Value", L"there");
    EXPECT_EQ(ReadRegistryString(otherOnlyKey, L"Value")->StringView(), "there");
    EXPECT_FALSE(RegistryValueExistsIn(RegistryView::Own, otherOnlyKey, L"Value"));
}

}  // namespace
