#include "agent/ComplianceDocument.h"
#include "text/Win32.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

CheckResult EvaluateOnly(std::string_view condition)
{
    const std::string xml = "<ComplianceDocument><Check Designator=\"d\" Description=\"what\">" + std::string(condition) +
                            "</Check></ComplianceDocument>";
    const ComplianceDocument document = ParseComplianceDocument(xml);
    EXPECT_EQ(document.checks.size(), 1u);
    return Evaluate(document.checks.at(0));
}

TEST(ComplianceDocument, ChecksLookAtTheMachine)
{
    SetEnvironmentVariableW(L"VERIMARK_TEST_VAR", L"on");
    const CheckResult env = EvaluateOnly("<EnvironmentEquals Name=\"VERIMARK_TEST_VAR\" Value=\"on\"/>");
    EXPECT_EQ(env.result, "True");
    EXPECT_EQ(env.resultType, "boolean");
    EXPECT_EQ(env.comment, "VERIMARK_TEST_VAR is on");
    EXPECT_EQ(env.designator, "d");
    EXPECT_EQ(env.description, "what");
    EXPECT_EQ(EvaluateOnly("<EnvironmentEquals Name=\"VERIMARK_UNSET\" Value=\"on\"/>").result, "False");
    EXPECT_EQ(EvaluateOnly("<DirectoryExists Path=\"C:\\windows\"/>").result, "True");
    EXPECT_EQ(EvaluateOnly("<FileExists Path=\"C:\\windows\"/>").comment, "C:\\windows is a directory");
    EXPECT_EQ(EvaluateOnly("<FileExists Path=\"C:\\windows\\system32\\kernel32.dll\"/>").result, "True");
    EXPECT_EQ(EvaluateOnly("<FileSize Path=\"C:\\windows\\system32\\kernel32.dll\" Max=\"10\"/>").result, "False");
    EXPECT_EQ(EvaluateOnly("<FileAge Path=\"C:\\windows\\system32\\kernel32.dll\" MinDays=\"0\"/>").result, "True");
    EXPECT_EQ(EvaluateOnly("<RegistryValueExists Key=\"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\" "
                           "Name=\"CurrentVersion\"/>")
                  .result,
              "True");
    EXPECT_EQ(EvaluateOnly("<RegistryValueEquals Key=\"HKLM\\Software\\NoSuch\" Name=\"x\" Value=\"1\"/>").comment,
              "HKLM\\Software\\NoSuch\\x is missing");
}

TEST(ComplianceDocument, CombinationsAndErrors)
{
    EXPECT_EQ(EvaluateOnly("<Not><DirectoryExists Path=\"C:\\windows\"/></Not>").result, "False");
    EXPECT_EQ(EvaluateOnly("<AnyOf><FileExists Path=\"C:\\nope\"/><DirectoryExists Path=\"C:\\windows\"/></AnyOf>").result,
              "True");
    const CheckResult all =
        EvaluateOnly("<AllOf><FileExists Path=\"C:\\nope\"/><DirectoryExists Path=\"C:\\windows\"/></AllOf>");
    EXPECT_EQ(all.result, "False");
    EXPECT_EQ(all.comment, "C:\\nope is missing");
    EXPECT_EQ(EvaluateOnly("<AnyOf><FileExists Path=\"C:\\nope\"/><FileExists Path=\"C:\\no2\"/></AnyOf>").comment,
              "C:\\nope is missing; C:\\no2 is missing");
    const CheckResult error = EvaluateOnly("<FileSize Path=\"C:\\nope\" Max=\"1\"/>");
    EXPECT_EQ(error.result, "Error: C:\\nope is missing");
    EXPECT_EQ(error.resultType, "error");
}

TEST(ComplianceDocument, MalformedDocumentsAreRefusedWithTheReason)
{
    EXPECT_THROW(ParseComplianceDocument("<Other/>"), std::runtime_error);
    EXPECT_THROW(ParseComplianceDocument("<ComplianceDocument><Check Designator=\"d\">"), std::runtime_error);
    try {
        ParseComplianceDocument("<ComplianceDocument><Check Designator=\"d\"><Bogus/></Check></ComplianceDocument>");
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "unknown condition <Bogus>");
    }
    EXPECT_THROW(ParseComplianceDocument("<ComplianceDocument><Check><FileExists Path=\"x\"/></Check></ComplianceDocument>"),
                 std::runtime_error);
    EXPECT_THROW(ParseComplianceDocument("<ComplianceDocument><Check Designator=\"d\"><Not/></Check></ComplianceDocument>"),
                 std::runtime_error);
    EXPECT_THROW(ParseComplianceDocument(
                     "<ComplianceDocument><Check Designator=\"d\"><FileSize Path=\"x\" Max=\"-1\"/></Check></ComplianceDocument>"),
                 std::runtime_error);
}

}  // namespace
