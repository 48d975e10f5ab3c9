#include "errors/tests/SystemMessageOracle.h"
#include "text/CharacterSetResult.h"
#include "text/Win32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What the system itself says for a code, in US English and the ANSI code page, without
// the final CR LF.
std::string SystemText(DWORD code)
{
    const std::wstring wide = AskedSystemMessage(code, 0x409);
    std::string text(static_cast<std::size_t>(
                         WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                             nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                        static_cast<int>(text.size()), nullptr, nullptr);
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
        text.resize(text.size() - 2);
    return text;
}

TEST(WindowsCharacterSetResult, MessageNamesCodeTextAndLocation)
{
    const WindowsCharacterSetResult result(1113, "TranscodeU8ToU16");
    const std::string text = SystemText(1113);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(result.CodeName(), text);
    EXPECT_EQ(std::string(result.what()), "WindowsCharacterSetResult: Error 1113 (" + text + ") in TranscodeU8ToU16");
    EXPECT_EQ(std::string(result.Description().View()), result.what());
}

TEST(WindowsCharacterSetResult, OptionalPartsAreLeftOut)
{
    const WindowsCharacterSetResult noLocation(1113, nullptr);
    EXPECT_EQ(std::string(noLocation.what()), "WindowsCharacterSetResult: Error 1113 (" + SystemText(1113) + ")");
    const WindowsCharacterSetResult unknown(0x2000FFFF, nullptr);
    EXPECT_EQ(std::string(unknown.what()), "WindowsCharacterSetResult: Error 536936447 ()");
}

TEST(WindowsCharacterSetResult, SucceedsOnlyForZero)
{
    EXPECT_FALSE(WindowsCharacterSetResult(1113, nullptr).Succeeded());
    EXPECT_TRUE(WindowsCharacterSetResult(0, nullptr).Succeeded());
    EXPECT_EQ(WindowsCharacterSetResult(1113, nullptr).Code(), 1113);
}

TEST(ICUResult, NamesComeFromIcusPublishedRanges)
{
    EXPECT_TRUE(ICUResult(-128).Succeeded());
    EXPECT_TRUE(ICUResult(0).Succeeded());
    EXPECT_FALSE(ICUResult(1).Succeeded());
    EXPECT_EQ(ICUResult(8).CodeName(), "U_INDEX_OUTOFBOUNDS_ERROR");
    EXPECT_EQ(ICUResult(32).CodeName(), "[BOGUS UErrorCode]");
    EXPECT_EQ(ICUResult(0x10023).CodeName(), "[BOGUS UErrorCode]");
    EXPECT_EQ(ICUResult(-129).CodeName(), "[BOGUS UErrorCode]");
    EXPECT_EQ(ICUResult(-119).CodeName(), "[BOGUS UErrorCode]");
    const std::pair<std::int32_t, const char*> ends[] = {
        {-128, "U_USING_FALLBACK_WARNING"},     {-120, "U_PLUGIN_CHANGED_LEVEL_WARNING"},
        {0, "U_ZERO_ERROR"},                    {31, "U_INPUT_TOO_LONG_ERROR"},
        {0x10000, "U_BAD_VARIABLE_DEFINITION"}, {0x10022, "U_INVALID_FUNCTION"},
        {0x10100, "U_UNEXPECTED_TOKEN"},        {0x10113, "U_NUMBER_SKELETON_SYNTAX_ERROR"},
        {0x10200, "U_BRK_INTERNAL_ERROR"},      {0x1020D, "U_BRK_MALFORMED_RULE_TAG"},
        {0x10300, "U_REGEX_INTERNAL_ERROR"},    {0x10315, "U_REGEX_INVALID_CAPTURE_GROUP_NAME"},
        {0x10400, "U_STRINGPREP_PROHIBITED_ERROR"}, {0x10408, "U_IDNA_DOMAIN_NAME_TOO_LONG_ERROR"},
        {0x10500, "U_PLUGIN_TOO_HIGH"},         {0x10501, "U_PLUGIN_DIDNT_SET_LEVEL"},
    };
    for (const auto& [code, name] : ends)
        EXPECT_EQ(ICUResult(code).CodeName(), name) << code;
    for (std::int32_t after : {0x10114, 0x1020E, 0x10316, 0x10409, 0x10502})
        EXPECT_EQ(ICUResult(after).CodeName(), "[BOGUS UErrorCode]") << after;
}

TEST(ICUResult, MessagesOfTheTwoBaseClasses)
{
    EXPECT_STREQ(ICUResult(7, "X").what(), "UErrorCode=7 [U_MEMORY_ALLOCATION_ERROR] in X");
    EXPECT_STREQ(ICUResult(-128).what(), "UErrorCode=4294967168 [U_USING_FALLBACK_WARNING]");
    EXPECT_STREQ(CharacterSetResult(7, "X", "utf-8", "abc").what(),
                 "CharacterSetResult: utf-8: UErrorCode=7 [U_MEMORY_ALLOCATION_ERROR] in X [\"abc\"]");
    EXPECT_STREQ(CharacterSetResult(7).what(), "CharacterSetResult: UErrorCode=7 [U_MEMORY_ALLOCATION_ERROR]");
}

TEST(ICUResult, WhatRecomposesOnEveryCallAndCopiesKeepEveryField)
{
    const CharacterSetResult original(9, "here", "latin1", "t");
    const std::string first = original.what();
    EXPECT_EQ(std::string(original.what()), first);
    const CharacterSetResult copy(original);
    EXPECT_EQ(std::string(copy.what()), first);
}

}  // namespace
