// The console tool against the stand-in agent, both as real processes, in real time.
#include "compliance/ComplianceLock.h"
#include "compliance/Registry.h"
#include "tool/tests/ToolAndAgent.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

class EndToEnd : public ToolAndAgent {
};

TEST_F(EndToEnd, CompleteSessionListsEveryItem)
{
    auto agent = StartAgent();
    const Finished run = RunTool({L"-c", url, L"Workstation Baseline"});
    EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    const std::size_t progressLines = Count(run.out, "% completed.\r\n");
    EXPECT_GE(progressLines, 1u) << run.out;
    // One second between polls.
    EXPECT_GE(run.seconds, 1.0 * progressLines);
    EXPECT_TRUE(std::regex_search(run.out, std::regex("^COMPLIANCE_Progress [0-9]+% completed\\.\r\n"))) << run.out;
    EXPECT_NE(run.out.find("COMPLIANCE_ResultCount is 8\r\n"), std::string::npos) << run.out;
    EXPECT_EQ(Count(run.out, "    Designator: "), 8u);
    EXPECT_EQ(Count(run.out, "Eval Time (\xB5s): "), 8u);
    EXPECT_NE(run.out.find("    Designator: os-family\r\n        Result: True\r\n   Result Type: boolean\r\n"
                           "Eval Time (\xB5s): "),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("          Desc: The legacy policy file is present & recent\r\n"
                           "       Comment: C:\\ProgramData\\Quorlan\\policy.ini is missing\r\n\r\n"),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(std::regex_search(run.out, std::regex("Eval Time \\(\xB5s\\): [0-9]+\r\n")));
    EXPECT_NE(agent->Output().find("took Close request"), std::string::npos);
    EXPECT_TRUE(ComplianceLock().Acquire());  // the tool let go of the lock
}

// An agent of the other bitness: its values are in the other registry view only.
TEST_F(EndToEnd, AgentInstalledInTheOtherRegistryView)
{
    for (const auto& [key, name] : {std::pair{ClientKeyPath, L"Version"}, std::pair{ApiKeyPath, L"RequestDir"},
                                    std::pair{ApiKeyPath, L"ResponseDir"}})
        registry_.Remove(key, name);
    const std::wstring otherView = sizeof(void*) == 8 ? L"32" : L"64";
    const Finished install = RunProgram(Agent(), {L"install", L"--view", otherView, L"--request-dir", Wide(requestDir_),
                                                  L"--response-dir", Wide(responseDir_)});
    ASSERT_EQ(install.exitCode, 0u) << install.out << install.err;
    EXPECT_NE(install.out.find("installed in the " + std::string(otherView == L"32" ? "32" : "64") + "-bit registry view"),
              std::string::npos)
        << install.out;
    EXPECT_FALSE(RegistryValueExistsIn(RegistryView::Own, ApiKeyPath, L"RequestDir"));
    auto agent = StartAgent();
    const Finished run = RunTool({L"-c", url, L"Workstation Baseline"});
    EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
    EXPECT_NE(run.out.find("COMPLIANCE_ResultCount is 8\r\n"), std::string::npos) << run.out;
}

TEST_F(EndToEnd, ExportIsTheAgentsResponseByteForByte)
{
    auto agent = StartAgent();
    const FileLocation exported = scratch_ / "exported.xml";
    const Finished run = RunTool({L"-x", url, L"Workstation Baseline", Wide(exported), L"0"});
    EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
    // The export is the last Progress answer, the one with the items (the Close answer came after).
    const std::size_t requests = Count(agent->Output(), "took ");
    ASSERT_GE(requests, 3u);
    const std::string copy = ReadWholeFile(exported);
    EXPECT_EQ(copy, AnswerNumber(static_cast<int>(requests) - 1));
    EXPECT_EQ(Count(copy, "<ResponseItem>"), 8u);
}

TEST_F(EndToEnd, ExportIntoAMissingFolderIsReportedAndTheLockReleased)
{
    auto agent = StartAgent();
    const FileLocation target = scratch_ / "no such folder\\out.xml";
    const Finished run = RunTool({L"-x", url, L"Workstation Baseline", Wide(target)});
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(-2)) << run.out << run.err;
    EXPECT_EQ(run.err.rfind("Error: could not export the response to \"" + std::string(target.Text().View()) + "\": ", 0),
              0u)
        << run.err;
    EXPECT_EQ(Count(run.err, "\n"), 1u);
    EXPECT_NE(run.out.find("COMPLIANCE_ResultCount is 8"), std::string::npos);
    EXPECT_TRUE(ComplianceLock().Acquire());
}

TEST_F(EndToEnd, OpenFailuresPrintTheirCode)
{
    // No agent: its mutex is missing.
    Finished run = RunTool({L"-c", url, L"Workstation Baseline"});
    EXPECT_EQ(run.out, "COMPLIANCE_Open returned error: -2\r\n");
    EXPECT_EQ(run.exitCode, 0u);

    registry_.SetString(ClientKeyPath, L"Version", L"4.1.7");
    EXPECT_EQ(RunTool({L"-c", url, L"doc"}).out, "COMPLIANCE_Open returned error: -9\r\n");
    registry_.SetString(ClientKeyPath, L"Version", L"4.1.8");

    auto agent = StartAgent();
    agent->Stop();
    // Left after the agent stopped: while it ran, it could have taken it.
    WriteRaw(requestFile_, "<left/>");
    EXPECT_EQ(RunTool({L"-c", url, L"doc"}).out, "COMPLIANCE_Open returned error: -2\r\n");
    agentMutex_.Reset(CreateMutexW(nullptr, FALSE, L"Global\\One Quorlan TVKClient At A Time"));
    EXPECT_EQ(RunTool({L"-c", url, L"doc"}).out, "COMPLIANCE_Open returned error: -5\r\n");
    ASSERT_TRUE(DeleteFileW(Wide(requestFile_).c_str()));

    {
        ComplianceLock held;  // this test process is "another process"
        ASSERT_TRUE(held.Acquire());
        EXPECT_EQ(RunTool({L"-c", url, L"doc"}).out, "COMPLIANCE_Open returned error: -6\r\n");
    }

    registry_.Remove(ApiKeyPath, L"RequestDir");
    EXPECT_EQ(RunTool({L"-c", url, L"doc"}).out, "COMPLIANCE_Open returned error: -4\r\n");
}

// The request nobody took is withdrawn: the next run is not refused because of it.
TEST_F(EndToEnd, RequestNeverTakenCostsTenSecondsAndIsWithdrawn)
{
    auto agent = StartAgent({L"never-take"});
    const Finished run = RunTool({L"-c", url, L"Workstation Baseline"});
    EXPECT_EQ(run.out, "COMPLIANCE_Open returned error: -3\r\n");
    EXPECT_GE(run.seconds, 9.5);
    EXPECT_FALSE(PendingRequest());
}

TEST_F(EndToEnd, ProgressErrorsAndAnswersThatNeverCome)
{
    auto unavailable = StartAgent({L"error-22@2"});
    Finished run = RunTool({L"-c", url, L"Workstation Baseline"});
    EXPECT_EQ(run.out, "Client reports not available right now.\r\n");
    unavailable.reset();

    auto agent = StartAgent();
    run = RunTool({L"-c", url, L"No Such Document"});
    EXPECT_EQ(run.out, "COMPLIANCE_Progress returned error -31.\r\n");
    agent.reset();

    // An answer whose progress state is no state: a failure through the result. Standard
    // output stays empty; standard error says what the answer was.
    auto garbled = StartAgent({L"unknown-state@2"});
    const FileLocation target = scratch_ / "never.xml";
    run = RunTool({L"-x", url, L"Workstation Baseline", Wide(target)});
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Verimark: the agent's answer has a progress state that means nothing (not 1, 2 or 3): check "
                       "the agent's version [-7]\r\n");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(target.Attributes(), INVALID_FILE_ATTRIBUTES);
    garbled.reset();

    // Taken and never answered: the Progress exchange and the Close one each wait 10 seconds.
    auto silent = StartAgent({L"no-answer@2"});
    run = RunTool({L"-c", url, L"Workstation Baseline"});
    EXPECT_EQ(run.out, "COMPLIANCE_Progress returned error -7.\r\n");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(ComplianceLock().Acquire());
}

TEST_F(EndToEnd, InvalidUtf8StopsTheListingWithAnErrorAndReleasesTheLock)
{
    auto agent = StartAgent({L"invalid-utf8"});
    Finished run = RunTool({L"-c", url, L"Workstation Baseline", L"3"});
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(-1));
    EXPECT_EQ(run.err, "Error: XML is not valid UTF-8.\r\n");
    EXPECT_EQ(Count(run.out, "    Designator: "), 1u) << run.out;
    EXPECT_NE(agent->Output().find("flags 3)"), std::string::npos);
    EXPECT_NE(agent->Output().find("took Close request"), std::string::npos);
    // The next session opens.
    run = RunTool({L"-c", url, L"Workstation Baseline", L"7x"});
    EXPECT_EQ(run.err, "Error: XML is not valid UTF-8.\r\n");
    EXPECT_NE(agent->Output().find("flags 7)"), std::string::npos);
}

TEST_F(EndToEnd, TextsOutsideTheCodePageArePrintedWithItsReplacement)
{
    const FileLocation data = scratch_ / "data";
    const FileLocation site = FileLocation::Child(data, "__TVKData\\actionsite\\__Compliance");
    for (const char* part : {"", "\\__TVKData", "\\__TVKData\\actionsite", "\\__TVKData\\actionsite\\__Compliance"})
        CreateDirectoryW((Wide(data) + std::wstring(part, part + std::strlen(part))).c_str(), nullptr);
    WriteRaw(FileLocation::Child(site, "cjk.xml"),
             "<ComplianceDocument><Check Designator=\"\xE4\xB8\xAD-1\" Description=\"\xE4\xB8\xAD\xE6\x96\x87\">"
             "<DirectoryExists Path=\"C:\\windows\"/></Check>"
             "<Check Designator=\"two\"><DirectoryExists Path=\"C:\\windows\"/></Check></ComplianceDocument>");
    auto agent = StartAgent({}, Wide(data));
    const Finished run = RunTool({L"-c", url, L"cjk.xml"});
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(Count(run.out, "    Designator: "), 2u) << run.out;
    // With UTF-8 as the ANSI code page nothing would need replacing.
    if (GetACP() != CP_UTF8) {
        EXPECT_NE(run.out.find("    Designator: ?-1\r\n"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("          Desc: ??\r\n"), std::string::npos) << run.out;
    }
}

TEST(CommandLine, UsageForEveryOtherForm)
{
    for (const std::vector<std::wstring>& args : std::vector<std::vector<std::wstring>>{
             {}, {L"-D"}, {L"-d", L"x"}, {L"-c", L"u"}, {L"-c", L"u", L"d", L"1", L"2"}, {L"-x", L"u", L"d"},
             {L"-c", L"u", L"d", L"16"}, {L"-c", L"u", L"d", L"-1"}, {L"-x", L"u", L"d", L"o", L"99"}}) {
        const Finished run = RunProgram(ProgramPath(L"tool/Verimark.exe"), args);
        EXPECT_EQ(run.exitCode, static_cast<DWORD>(-1));
        EXPECT_EQ(run.out.rfind("Usage: \r\n       Verimark -d\r\n", 0), 0u);
    }
    const Finished usage = RunProgram(ProgramPath(L"tool/Verimark.exe"), {});
    EXPECT_EQ(usage.out,
              "Usage: \r\n"
              "       Verimark -d\r\n"
              "       Verimark -c <url> <doc> [<numeric flags>]\r\n"
              "       Verimark -x <url> <doc> <output xml full path> [<numeric flags>]\r\n"
              "  where:\r\n"
              "    <url> is a site gather url the TVKClient is subscribed.\r\n"
              "    <doc> is the name of the compliance document to process.\r\n"
              "    <output xml full path> is the full path of where the response XML will be output.\r\n"
              "  sample:\r\n"
              "    Verimark -c http://myserver:52311/cgi-bin/tvkgather.exe/actionsite ComplianceDoc.xml\r\n"
              "  note:\r\n"
              "    in this example <doc> would be in the __TVKData\\actionsite\\__Compliance folder.\r\n"
              "    flags = a number from 0 to 15 (the sum of the following values).\r\n"
              "          = 1 - COMPLIANCE_FLAG_GATHER         - gather all sites.\r\n"
              "          = 2 - COMPLIANCE_FLAG_EVALUATE_ALL   - evaluate all vantrels.\r\n"
              "          = 4 - COMPLIANCE_FLAG_IDLE_CPU_USAGE - use IDLE cpu resource level.\r\n"
              "          = 8 - COMPLIANCE_FLAG_ACTIONHINT     - treat <doc> arg as action id hint.\r\n");
}

}  // namespace
