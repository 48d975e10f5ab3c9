#include "compliance/Registry.h"
#include "compliance/RequestFile.h"
#include "compliance/tests/MachineState.h"

#include <gtest/gtest.h>

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

class RequestDirectoryCache : public AgentEnvironment {
};

TEST_F(RequestDirectoryCache, ReadsTheRegistryAgainOnlyAfterAChange)
{
    EXPECT_EQ(RequestDirectory().Text(), requestDir_.Text());
    // Without a change of the key the cached value stands: the directory is not made again.
    ASSERT_TRUE(RemoveDirectoryW(Wide(requestDir_).c_str()));
    EXPECT_EQ(RequestDirectory().Text(), requestDir_.Text());
    EXPECT_EQ(requestDir_.Attributes(), INVALID_FILE_ATTRIBUTES);
    // Any change of the key's values counts: the value is read, and the directory made,
    // again. (Wine does not report rewriting a value with the data it already has, so
    // the change here is to another value of the key.)
    registry_.SetString(ApiKeyPath, L"VerimarkTestTouch", L"1");
    EXPECT_EQ(RequestDirectory().Text(), requestDir_.Text());
    EXPECT_TRUE(requestDir_.IsDirectory());

    const FileLocation moved = scratch_ / "moved";
    registry_.SetString(ApiKeyPath, L"RequestDir", Wide(moved));
    EXPECT_EQ(RequestDirectory().Text(), moved.Text());
    EXPECT_TRUE(moved.IsDirectory());
    registry_.Remove(ApiKeyPath, L"RequestDir");
    EXPECT_TRUE(RequestDirectory().Empty());
}

}  // namespace
