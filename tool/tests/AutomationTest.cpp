// What a management tool reads of a run: the exit statuses of --exit-codes, the --json
// document (read with a parser of its own), the one line of explanation per failure on
// standard error, --timeout, and Ctrl+C or Ctrl+Break closing the session.
#include "compliance/ComplianceLock.h"
#include "compliance/Registry.h"
#include "files/DirectoryAccess.h"
#include "files/DirectorySecurity.h"
#include "files/tests/HostPrograms.h"
#include "files/tests/TestPlatform.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"
#include "tool/tests/JsonParser.h"
#include "tool/tests/ToolAndAgent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <regex>
#include <set>
#include <string>

namespace {

class Automation : public ToolAndAgent {
protected:
    // A site whose documents: pass.xml passes every check, fail.xml fails one, empty.xml has none,
    // unevaluated.xml has one that cannot be evaluated.
    std::wstring PassingSite()
    {
        const FileLocation data = scratch_ / "passing";
        for (const char* part : {"", "\\__TVKData", "\\__TVKData\\actionsite", "\\__TVKData\\actionsite\\__Compliance"})
            CreateDirectoryW((Wide(data) + std::wstring(part, part + std::strlen(part))).c_str(), nullptr);
        WriteRaw(FileLocation::Child(data, "__TVKData\\actionsite\\__Compliance\\pass.xml"),
                 "<ComplianceDocument><Check Designator=\"windows\" Description=\"\xE4\xB8\xAD\xE6\x96\x87\">"
                 "<DirectoryExists Path=\"C:\\windows\"/></Check></ComplianceDocument>");
        WriteRaw(FileLocation::Child(data, "__TVKData\\actionsite\\__Compliance\\fail.xml"),
                 "<ComplianceDocument><Check Designator=\"gone\"><DirectoryExists Path=\"C:\\no such folder\"/></Check>"
                 "</ComplianceDocument>");
        // A name in Cyrillic and CJK ("Проверка 検査"), as the agent finds it on disk.
        WriteRaw(FileLocation::Child(data, "__TVKData\\actionsite\\__Compliance\\"
                                           "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB5\xD1\x80\xD0\xBA\xD0\xB0 "
                                           "\xE6\xA4\x9C\xE6\x9F\xBB.xml"),
                 "<ComplianceDocument><Check Designator=\"windows\"><DirectoryExists Path=\"C:\\windows\"/></Check>"
                 "</ComplianceDocument>");
        // One of each: passed, failed (its description full of markup), not evaluated.
        WriteRaw(FileLocation::Child(data, "__TVKData\\actionsite\\__Compliance\\mixed.xml"),
                 "<ComplianceDocument><Check Designator=\"windows\"><DirectoryExists Path=\"C:\\windows\"/></Check>"
                 "<Check Designator=\"size\"><FileSize Path=\"C:\\no such file\" Min=\"1\"/></Check>"
                 "<Check Designator=\"gone\" Description=\"&lt;b&gt; &amp; &quot;q&quot; \xE4\xB8\xAD\">"
                 "<DirectoryExists Path=\"C:\\no such folder\"/></Check></ComplianceDocument>");
        // No checks at all; and one check that passes beside one that cannot be evaluated.
        WriteRaw(FileLocation::Child(data, "__TVKData\\actionsite\\__Compliance\\empty.xml"),
                 "<ComplianceDocument></ComplianceDocument>");
        WriteRaw(FileLocation::Child(data, "__TVKData\\actionsite\\__Compliance\\unevaluated.xml"),
                 "<ComplianceDocument><Check Designator=\"windows\"><DirectoryExists Path=\"C:\\windows\"/></Check>"
                 "<Check Designator=\"size\"><FileSize Path=\"C:\\no such file\" Min=\"1\"/></Check>"
                 "</ComplianceDocument>");
        return Wide(data);
    }
};

// Each status a run can end with, the agent's faults giving most of them. Standard output
// stays what it is without options; each failure adds its one line to standard error.
enum class Before { Nothing, NoVersion, NoDirectoryValue, TooOld, RequestWaiting, RequestPlanted, LockHeld };
struct Outcome {
    const char* name;
    Before before;  // arranged before the run; then the agent's mutex is held, without an agent
    bool agent;
    std::vector<std::wstring> faults;
    std::vector<std::wstring> args;  // "<url>" is the site, "<export>" a file in a missing folder
    DWORD status;
    std::string err;  // a text the standard error holds; empty: it is empty
    bool passingSite = false;
};

class AutomationOutcome : public Automation, public ::testing::WithParamInterface<Outcome> {};

TEST_P(AutomationOutcome, HasItsExitStatus)
{
    const Outcome& c = GetParam();
    switch (c.before) {
    case Before::Nothing: break;
    case Before::NoVersion: registry_.Remove(ClientKeyPath, L"Version"); break;
    case Before::NoDirectoryValue: registry_.Remove(ApiKeyPath, L"RequestDir"); break;
    case Before::TooOld: registry_.SetString(ClientKeyPath, L"Version", L"4.1.7"); break;
    case Before::RequestWaiting: WriteRaw(requestFile_, "<left/>"); break;
    case Before::RequestPlanted: CreateDirectoryW(Wide(requestFile_).c_str(), nullptr); break;
    case Before::LockHeld: break;
    }
    std::optional<ComplianceLock> held;  // this test process is "another session"
    if (c.before == Before::LockHeld) {
        ASSERT_TRUE(held.emplace().Acquire());
    }
    if (c.before != Before::Nothing)  // so that the checks after "is it running" are reached
        agentMutex_.Reset(CreateMutexW(nullptr, FALSE, L"Global\\One Quorlan TVKClient At A Time"));
    const bool slow = c.status == 10;
    auto agent = c.agent ? StartAgent(c.faults, c.passingSite ? PassingSite() : L"" VERIMARK_SAMPLE_DATA,
                                      slow ? L"3000" : L"250")
                         : nullptr;
    std::vector<std::wstring> args{L"--exit-codes"};
    for (const std::wstring& a : c.args)
        args.push_back(a == L"<url>" ? url : a == L"<export>" ? Wide(scratch_ / "no such folder\\out.xml") : a);
    const Finished run = RunTool(args);
    held.reset();
    EXPECT_EQ(run.exitCode, c.status) << run.out << run.err;
    if (c.err.empty())
        EXPECT_EQ(run.err, "");
    else
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    EXPECT_LE(Count(run.err, "\n"), 1u) << run.err;
    if (slow) {
        EXPECT_LT(run.seconds, Scaled(8.0));
        EXPECT_NE(agent->Output().find("took Close request"), std::string::npos);
    }
    agent.reset();
    StopAgent();
    EXPECT_TRUE(ComplianceLock().Acquire());
}

const std::wstring baseline = L"Workstation Baseline";
INSTANTIATE_TEST_SUITE_P(
    Each, AutomationOutcome,
    ::testing::Values(
        Outcome{"EveryCheckPasses", Before::Nothing, true, {}, {L"-c", L"<url>", L"pass.xml"}, 0, "", true},
        Outcome{"ACheckFails", Before::Nothing, true, {}, {L"-c", L"<url>", baseline}, 1, ""},
        Outcome{"NoItems", Before::Nothing, true, {}, {L"-c", L"<url>", L"empty.xml"}, 14, "", true},
        // The name reaches the agent as it was given: it finds that document and no other.
        Outcome{"CyrillicAndCjkDocumentName", Before::Nothing, true, {},
                {L"-c", L"<url>", L"\u041F\u0440\u043E\u0432\u0435\u0440\u043A\u0430 \u691C\u67FB.xml"}, 0, "", true},
        Outcome{"ACheckNotEvaluated", Before::Nothing, true, {}, {L"-c", L"<url>", L"unevaluated.xml"}, 15, "", true},
        Outcome{"ArgumentsNotUnderstood", Before::Nothing, false, {}, {L"-c", L"<url>"}, 2, ""},
        Outcome{"NoVersion", Before::NoVersion, false, {}, {L"-c", L"<url>", L"d"}, 3,
                "Verimark: the agent's version is not in the registry"},
        Outcome{"NoDirectoryValue", Before::NoDirectoryValue, false, {}, {L"-c", L"<url>", L"d"}, 3, "[-4]\r\n"},
        Outcome{"TooOld", Before::TooOld, false, {}, {L"-c", L"<url>", L"d"}, 4,
                "Verimark: the agent is too old (4.1.8 or later is needed): update TVKClient [-9]\r\n"},
        Outcome{"NotRunning", Before::Nothing, false, {}, {L"-c", L"<url>", L"d"}, 5,
                "Verimark: the agent is not running: start TVKClient and try again [-2]\r\n"},
        Outcome{"ARequestWaiting", Before::RequestWaiting, false, {}, {L"-c", L"<url>", L"d"}, 7,
                "Verimark: the agent did not respond: an earlier request.xml waits in the request directory (for "},
        Outcome{"LockHeldElsewhere", Before::LockHeld, false, {}, {L"-c", L"<url>", L"d"}, 6, "[-6]\r\n"},
        Outcome{"NeverTaken", Before::Nothing, true, {L"never-take"}, {L"-c", L"<url>", L"d"}, 7, "[-3]\r\n"},
        Outcome{"NoAnswerToProgress", Before::Nothing, true, {L"no-answer@2"}, {L"-c", L"<url>", baseline}, 7,
                "no readable answer to a progress request"},
        Outcome{"TheAgentsOwnError", Before::Nothing, true, {}, {L"-c", L"<url>", L"No Such Document"}, 8,
                "Verimark: the agent reported an error for this evaluation: check the site URL and the document "
                "name [-31]"},
        Outcome{"ReportsNotAvailable", Before::Nothing, true, {L"error-22@2"}, {L"-c", L"<url>", baseline}, 8,
                "[-22]\r\n"},
        Outcome{"ExportFailed", Before::Nothing, true, {}, {L"-x", L"<url>", baseline, L"<export>"}, 9,
                "Error: could not export the response to"},
        Outcome{"TimeLimit", Before::Nothing, true, {}, {L"--timeout", L"2", L"-c", L"<url>", baseline}, 10,
                "Verimark: the evaluation did not finish within 2 seconds; the session was closed"},
        Outcome{"InvalidUtf8", Before::Nothing, true, {L"invalid-utf8"}, {L"-c", L"<url>", baseline}, 12,
                "Error: XML is not valid UTF-8.\r\n"},
        Outcome{"UnknownState", Before::Nothing, true, {L"unknown-state@2"}, {L"-c", L"<url>", baseline}, 7,
                "a progress state that means nothing (not 1, 2 or 3): check the agent's version [-7]"},
        // Options after the form are options, never the flags.
        Outcome{"ExitCodesAfterTheForm", Before::Nothing, true, {}, {L"-c", L"<url>", baseline, L"--exit-codes"}, 1,
                ""}),
    [](const ::testing::TestParamInfo<Outcome>& info) { return std::string(info.param.name); });

// The report files of one run, each written whole into place: the JSON file is the document
// on standard output, and the JUnit (checked against a JUnit schema) and HTML files, read by
// parsers of their own on the machine Wine runs on, say what the JSON document's items say.
TEST_F(Automation, ReportFilesSayWhatTheItemsSay)
{
    for (const wchar_t* tool : {L"Z:\\usr\\bin\\python3", L"Z:\\usr\\bin\\xmllint"})
        if (!RunningUnderWine() || GetFileAttributesW(tool) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "the reports are read by programs of the machine Wine runs on (python3, xmllint)";
    auto agent = StartAgent({}, PassingSite(), L"250");
    const FileLocation json = scratch_ / "run.json", junit = scratch_ / "run.xml", html = scratch_ / "run.html",
                       csv = scratch_ / "run.csv", prom = scratch_ / "verimark.prom", result = scratch_ / "checked.txt";
    const Finished run = RunTool({L"--json", L"--output", L"json:" + Wide(json), L"--output", L"junit:" + Wide(junit),
                                  L"--output", L"html:" + Wide(html), L"--output", L"csv:" + Wide(csv), L"--output",
                                  L"prom:" + Wide(prom), L"-c", url, L"mixed.xml"});
    EXPECT_EQ(run.exitCode, 1u) << run.out << run.err;
    EXPECT_EQ(ReadWholeFile(json), run.out);
    EXPECT_EQ(NamesIn(scratch_.Root()).count(L"run.json.verimark-tmp"), 0u);
    const auto unix = [](const FileLocation& f) { return "\"" + UnixPath(Wide(f)) + "\""; };
    RunHostProgram("/usr/bin/python3 \"" + std::string(VERIMARK_TOOL_TESTS) + "/check-reports.py\" " + unix(json) + " " +
                       unix(junit) + " " + unix(html) + " " + unix(csv) + " " + unix(prom) + " \"" +
                       VERIMARK_TOOL_TESTS + "/junit.xsd\" " + unix(result),
                   [&] { return result.Attributes() != INVALID_FILE_ATTRIBUTES; });
    ASSERT_NE(result.Attributes(), INVALID_FILE_ATTRIBUTES) << "the check did not finish";
    EXPECT_EQ(ReadWholeFile(result), "ok\n");

    // A report that cannot be written fails a completed run as a failed export does; the
    // others are written all the same.
    DeleteFileW(Wide(junit).c_str());
    const Finished failed = RunTool({L"--exit-codes", L"--output", L"html:" + Wide(scratch_ / "no such folder\\r.html"),
                                     L"--output", L"junit:" + Wide(junit), L"-c", url, L"mixed.xml"});
    EXPECT_EQ(failed.exitCode, 9u) << failed.err;
    EXPECT_NE(failed.err.find("could not write the report \""), std::string::npos) << failed.err;
    EXPECT_NE(junit.Attributes(), INVALID_FILE_ATTRIBUTES);

    // A run that did not complete (busy) still writes what it can, and says of each report
    // it could not write why, beside its own line.
    ComplianceLock other;
    ASSERT_TRUE(other.Acquire());
    DeleteFileW(Wide(json).c_str());
    const Finished busy = RunTool({L"--exit-codes", L"--output", L"html:" + Wide(scratch_ / "no such folder\\r.html"),
                                   L"--output", L"json:" + Wide(json), L"--output",
                                   L"junit:" + Wide(scratch_ / "no such folder\\r.xml"), L"-c", url, L"mixed.xml"});
    EXPECT_EQ(busy.exitCode, 6u) << busy.err;
    EXPECT_EQ(Count(busy.err, "could not write the report \""), 2u) << busy.err;
    EXPECT_EQ(Count(busy.err, "another compliance session is running"), 1u) << busy.err;
    EXPECT_EQ(ParseJson(ReadWholeFile(json))["outcome"]["status"].number, 6);
}

// The HTML report as a browser shows it: headless Chromium builds the same rows, failed
// first, and the run's facts, and draws the counts' picture (checked in its screenshot).
TEST_F(Automation, HtmlReportAsABrowserShowsIt)
{
    for (const wchar_t* tool : {L"Z:\\usr\\bin\\python3", L"Z:\\usr\\bin\\chromium"})
        if (!RunningUnderWine() || GetFileAttributesW(tool) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "the page is opened by programs of the machine Wine runs on (python3, chromium; setup "
                            "installs chromium when the archive lets it)";
    auto agent = StartAgent({}, PassingSite(), L"250");
    const FileLocation html = scratch_ / "run.html", screenshot = scratch_ / "run.png", result = scratch_ / "seen.txt";
    const Finished run = RunTool({L"--quiet", L"--output", L"html:" + Wide(html), L"-c", url, L"mixed.xml"});
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    const auto unix = [](const FileLocation& f) { return "\"" + UnixPath(Wide(f)) + "\""; };
    RunHostProgram("/usr/bin/python3 \"" + std::string(VERIMARK_TOOL_TESTS) + "/check-html-in-browser.py\" " +
                       unix(html) + " " + unix(screenshot) + " " + unix(result),
                   [&] { return result.Attributes() != INVALID_FILE_ATTRIBUTES; });
    ASSERT_NE(result.Attributes(), INVALID_FILE_ATTRIBUTES) << "the check did not finish";
    EXPECT_EQ(ReadWholeFile(result), "ok\n");
}

// The listing on a console: every character shows, whatever the ANSI code page (the same
// texts redirected would be "?"), and a line break in a text is shown, not obeyed. The test
// gives the tool a console of its own and reads back what the console shows.
TEST_F(Automation, AConsoleShowsEveryCharacterAndNoLineBreakOfAText)
{
    const std::wstring site = PassingSite();
    WriteRaw(FileLocation::Child(scratch_ / "passing", "__TVKData\\actionsite\\__Compliance\\console.xml"),
             "<ComplianceDocument><Check Designator=\"windows\" Description=\"\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB5"
             "\xD1\x80\xD0\xBA\xD0\xB0 \xE6\xA4\x9C\xE6\x9F\xBB\r\n    Designator: forged\">"
             "<DirectoryExists Path=\"C:\\windows\"/></Check></ComplianceDocument>");
    auto agent = StartAgent({}, site, L"250");

    // A console for the tool; this process's own standard handles stay where they are.
    const HANDLE saved[3] = {GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE),
                             GetStdHandle(STD_ERROR_HANDLE)};
    FreeConsole();
    if (!AllocConsole())
        GTEST_SKIP() << "no console can be made here (" << GetLastError() << ")";
    struct Restore {
        const HANDLE* saved;
        ~Restore()
        {
            FreeConsole();
            SetStdHandle(STD_INPUT_HANDLE, saved[0]);
            SetStdHandle(STD_OUTPUT_HANDLE, saved[1]);
            SetStdHandle(STD_ERROR_HANDLE, saved[2]);
        }
    } restore{saved};
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const UniqueFile screen(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        &inherited, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(screen) << GetLastError();
    COORD size{200, 300};
    SetConsoleScreenBufferSize(screen.Get(), size);
    std::wstring line = L"\"" + Verimark() + L"\" --quiet -c \"" + url + L"\" console.xml";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = screen.Get();
    startup.hStdError = screen.Get();
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        << GetLastError();
    const UniqueHandle process(info.hProcess), thread(info.hThread);
    ASSERT_EQ(WaitForSingleObject(process.Get(), Scaled(DWORD{60000})), WAIT_OBJECT_0);

    CONSOLE_SCREEN_BUFFER_INFO shown{};
    ASSERT_TRUE(GetConsoleScreenBufferInfo(screen.Get(), &shown));
    const DWORD cells = static_cast<DWORD>(shown.dwSize.X) * static_cast<DWORD>(shown.dwSize.Y);
    std::wstring text(cells, L' ');
    DWORD read = 0;
    ASSERT_TRUE(ReadConsoleOutputCharacterW(screen.Get(), text.data(), cells, COORD{0, 0}, &read));
    text.resize(read);
    std::vector<std::wstring> rows;
    for (std::size_t at = 0; at < text.size(); at += static_cast<std::size_t>(shown.dwSize.X)) {
        std::wstring row = text.substr(at, static_cast<std::size_t>(shown.dwSize.X));
        row.erase(row.find_last_not_of(L' ') + 1);
        if (!row.empty())
            rows.push_back(row);
    }
    const auto has = [&](const std::wstring& wanted) {
        return std::find(rows.begin(), rows.end(), wanted) != rows.end();
    };
    std::string all;
    for (const std::wstring& row : rows)
        all += Narrow(row) + "\n";
    EXPECT_TRUE(has(L"    Designator: windows")) << all;
    EXPECT_TRUE(has(L"          Desc: \u041F\u0440\u043E\u0432\u0435\u0440\u043A\u0430 \u691C\u67FB\\r\\n"
                    L"    Designator: forged"))
        << all;
    EXPECT_FALSE(has(L"    Designator: forged")) << all;
}

// A run of 100 000 items: its JSON document, and its JUnit report's counts, read whole.
TEST_F(Automation, AHundredThousandItemsReadWhole)
{
    if (TimeScale() > 1)
        GTEST_SKIP() << "under emulation this run takes minutes; the native suite reads it";
    auto agent = StartAgent({L"many-items:100000"}, L"" VERIMARK_SAMPLE_DATA, L"250");
    const FileLocation junit = scratch_ / "many.xml";
    // A test of what is read, not of how fast: its limit is far beyond an idle machine's
    // time (about 15 s), so that a loaded one still finishes.
    const Finished run = RunProgram(Verimark(),
                                    {L"--json", L"--quiet", L"--output", L"junit:" + Wide(junit), L"-c", url,
                                     L"Workstation Baseline"},
                                    300000);
    EXPECT_EQ(run.exitCode, 1u) << run.err;
    const JsonValue document = ParseJson(run.out);
    const std::vector<JsonValue>& items = document["items"].elements;
    ASSERT_EQ(items.size(), 100000u);
    std::size_t failed = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]["designator"].text, "generated-" + std::to_string(i));
        failed += items[i]["status"].text == "failed";
    }
    EXPECT_EQ(failed, 33334u);  // every third: "False"
    const std::string report = ReadWholeFile(junit);
    EXPECT_NE(report.find("<testsuite name=\"Workstation Baseline\" tests=\"100000\" failures=\"33334\" errors=\"0\""),
              std::string::npos);
    EXPECT_EQ(Count(report, "<testcase "), 100000u);
}

// --wait-lock in real time: another session's lock let go after 1.5 s is taken and the run
// completes; one held throughout ends the run 6 within the wait and 2 s.
TEST_F(Automation, WaitLockWaitsForAnotherSessionsLock)
{
    auto agent = StartAgent();
    for (const bool letGo : {true, false}) {
        SCOPED_TRACE(letGo ? "let go" : "held");
        std::optional<ComplianceLock> other;
        ASSERT_TRUE(other.emplace().Acquire());
        const FileLocation out = scratch_ / "waited.txt";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        UniqueFile file(CreateFileW(Wide(out).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                                    nullptr));
        const auto started = std::chrono::steady_clock::now();
        const UniqueHandle tool = StartProgram(
            Verimark(), {L"--exit-codes", L"--wait-lock", letGo ? L"10" : L"2", L"-c", url, L"Workstation Baseline"},
            file.Get());
        file.Reset();
        if (letGo) {
            Sleep(1500);
            other.reset();
        }
        ASSERT_EQ(WaitForSingleObject(tool.Get(), Scaled(DWORD{60000})), static_cast<DWORD>(WAIT_OBJECT_0));
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        DWORD status = 0;
        GetExitCodeProcess(tool.Get(), &status);
        if (letGo) {
            EXPECT_EQ(status, 1u);
            EXPECT_NE(ReadWholeFile(out).find("COMPLIANCE_ResultCount is 8"), std::string::npos);
        } else {
            EXPECT_EQ(status, 6u);
            EXPECT_GE(seconds, 2.0);
            EXPECT_LT(seconds, Scaled(4.0));
        }
        other.reset();
        EXPECT_TRUE(ComplianceLock().Acquire());
    }
}

// An agent that stops during the evaluation (its mutex gone) is noticed within 2 s: the
// run ends 5, sends the agent nothing more and leaves no request behind.
TEST_F(Automation, AnAgentThatStopsMidRunIsNoticedWithinTwoSeconds)
{
    auto agent = StartAgent({}, L"" VERIMARK_SAMPLE_DATA, L"3000");  // a check every 3 s: 24 s in all
    const FileLocation out = scratch_ / "stopped.json";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const UniqueFile file(CreateFileW(Wide(out).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                                      nullptr));
    ASSERT_TRUE(file);
    const UniqueHandle tool =
        StartProgram(Verimark(), {L"--exit-codes", L"--json", L"-c", url, L"Workstation Baseline"}, file.Get());
    ASSERT_TRUE(agent->WaitForOutput("took Progress request", 30000)) << agent->Output();
    Sleep(1500);  // well into the evaluation, between two Progress requests or during one
    agent->Stop();
    const auto stopped = std::chrono::steady_clock::now();
    ASSERT_EQ(WaitForSingleObject(tool.Get(), Scaled(DWORD{30000})), static_cast<DWORD>(WAIT_OBJECT_0));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - stopped).count();
    DWORD status = 0;
    GetExitCodeProcess(tool.Get(), &status);
    EXPECT_EQ(status, 5u);
    EXPECT_LT(seconds, Scaled(2.0));
    EXPECT_EQ(ParseJson(ReadWholeFile(out))["outcome"]["status"].number, 5);
    EXPECT_FALSE(PendingRequest());
    EXPECT_EQ(agent->Output().find("took Close request"), std::string::npos);
    EXPECT_TRUE(ComplianceLock().Acquire());
}

// A reader of standard output that does not keep up holds neither the machine's lock nor
// the agent: the session is closed before the listing is written, and the listing is
// still whole once it is read.
TEST_F(Automation, ASlowReaderHoldsNeitherTheLockNorTheAgent)
{
    auto agent = StartAgent({L"many-items:20000"}, L"" VERIMARK_SAMPLE_DATA, L"250");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, &inherit, 4096));
    UniqueHandle readEnd(read), writeEnd(write);
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    const UniqueHandle tool = StartProgram(Verimark(), {L"-c", url, L"Workstation Baseline"}, writeEnd.Get());
    writeEnd.Reset();
    EXPECT_TRUE(agent->WaitForOutput("took Close request", 120000)) << agent->Output();
    // The lock goes once the Close is answered, while the listing waits for its reader.
    bool free = false;
    for (DWORD waited = 0; !free && waited < Scaled(DWORD{15000}); waited += 100)
        if (!(free = ComplianceLock().Acquire()))
            Sleep(100);
    EXPECT_TRUE(free);
    EXPECT_EQ(WaitForSingleObject(tool.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the listing did not wait";
    std::string out;
    char buffer[65536];
    for (DWORD n = 0; ReadFile(read, buffer, sizeof buffer, &n, nullptr) && n != 0;)
        out.append(buffer, n);
    EXPECT_EQ(WaitForSingleObject(tool.Get(), Scaled(DWORD{60000})), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_NE(out.find("COMPLIANCE_ResultCount is 20000\r\n"), std::string::npos);
    EXPECT_EQ(Count(out, "    Designator: "), 20000u);
}

// A response folder that everyone may write in (Wine shows a folder every Unix user may
// write as one Everyone may). An elevated run (every process under the host's Wine) refuses
// it before writing a request, in words that name who may do what; one that is not
// elevated (under the arm64 Wine) goes on and warns once. --check says the same.
TEST_F(Automation, AResponseFolderOthersMayWriteIsRefusedOrWarnedOf)
{
    if (!RunningUnderWine() || GetFileAttributesW(L"Z:\\bin\\chmod") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the folder's permissions are changed by chmod of the machine Wine runs on";
    const auto openToOthers = [&] {
        const UniqueFile folder(CreateFileW(Wide(responseDir_).c_str(), READ_CONTROL, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return folder && FirstOtherWriter(DescriptorTextOf(folder.Get()), ProcessUserSid()).has_value();
    };
    const auto chmod = [&](const char* mode, bool open) {
        RunHostProgram(std::string("/bin/chmod ") + mode + " \"" + UnixPath(Wide(responseDir_)) + "\"",
                       [&] { return openToOthers() == open; });
        ASSERT_EQ(openToOthers(), open);
    };
    const bool elevated = ProcessIsElevated();  // as the tool it starts is
    chmod("0777", true);
    auto agent = StartAgent();
    const std::set<std::wstring> responses = NamesIn(responseDir_);
    const Finished run = RunTool({L"--exit-codes", L"--json", L"-c", url, L"Workstation Baseline"});
    const Finished check = RunTool({L"--check"});
    chmod("0755", false);
    const JsonValue document = ParseJson(run.out);
    ASSERT_EQ(document["openToOthers"].elements.size(), 1u) << run.out;
    const JsonValue& named = document["openToOthers"].elements[0];
    EXPECT_EQ(named["directory"].text, "response");
    EXPECT_EQ(named["sid"].text, "S-1-1-0");
    EXPECT_EQ(named["right"].text, "create files in it");
    const std::string words = "the response directory " + Narrow(Wide(responseDir_)) + " is open to others: " +
                              named["principal"].text + " may create files in it, ";
    if (elevated) {
        EXPECT_EQ(run.exitCode, 3u) << run.err;
        EXPECT_EQ(document["outcome"]["code"].number, -27);
        EXPECT_EQ(document["outcome"]["name"].text, "DirectoryOpenToOthers");
        EXPECT_NE(run.err.find("Verimark: " + words + "and an elevated run uses only"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;  // said once, as the run's end
        EXPECT_FALSE(PendingRequest());
        EXPECT_EQ(NamesIn(responseDir_), responses);
        EXPECT_EQ(check.exitCode, 3u) << check.out;
        EXPECT_NE(check.out.find("a directory open to others: " + named["principal"].text +
                                 " may create files in it; an elevated run refuses it"),
                  std::string::npos)
            << check.out;
    } else {
        EXPECT_EQ(run.exitCode, 1u) << run.err;  // the run as it would be, warned of once
        EXPECT_EQ(Count(run.err, "Verimark: warning: " + words + "so what is read there may not come from the agent"),
                  1u)
            << run.err;
        EXPECT_EQ(check.exitCode, 0u) << check.out;
        EXPECT_NE(check.out.find("a directory open to others: " + named["principal"].text +
                                 " may create files in it; a run goes on, and warns"),
                  std::string::npos)
            << check.out;
    }
    // Closed again, the same run completes, and says nothing of the folder.
    const Finished closed = RunTool({L"--exit-codes", L"-c", url, L"Workstation Baseline"});
    EXPECT_EQ(closed.exitCode, 1u);
    EXPECT_EQ(closed.err.find("open to others"), std::string::npos) << closed.err;
}

// --check in each state the stand-in agent can be put in: one line per condition, the status
// a run would get, and nothing written in either directory, nor the lock kept.
TEST_F(Automation, CheckSaysWhatStandsInTheWay)
{
    const struct {
        const char* what;
        Before before;
        bool agent;
        DWORD status;
        const char* line;
    } cases[] = {
        {"ready", Before::Nothing, true, 0, "A run now: status 0 (ready)"},
        {"not installed", Before::NoVersion, false, 3, "Agent: not installed"},
        {"no directory value", Before::NoDirectoryValue, false, 3, "Request directory: not configured"},
        {"too old", Before::TooOld, false, 4, "Agent: version 4.1.7 ("},
        {"stopped", Before::Nothing, false, 5, "Agent running: no"},
        {"lock held", Before::LockHeld, false, 6, "Lock: held by another compliance session"},
        {"a request waits", Before::RequestWaiting, false, 7, "Waiting request: request.xml has waited "},
        {"a folder planted as the request", Before::RequestPlanted, false, 7,
         "Waiting request: request.xml is a link or a folder, not a request"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        switch (c.before) {
        case Before::NoVersion: registry_.Remove(ClientKeyPath, L"Version"); break;
        case Before::NoDirectoryValue: registry_.Remove(ApiKeyPath, L"RequestDir"); break;
        case Before::TooOld: registry_.SetString(ClientKeyPath, L"Version", L"4.1.7"); break;
        case Before::RequestWaiting: WriteRaw(requestFile_, "<left/>"); break;
        case Before::RequestPlanted: CreateDirectoryW(Wide(requestFile_).c_str(), nullptr); break;
        default: break;
        }
        std::optional<ComplianceLock> held;
        if (c.before == Before::LockHeld) {
            ASSERT_TRUE(held.emplace().Acquire());
        }
        if (c.before != Before::Nothing && c.status != 5)
            agentMutex_.Reset(CreateMutexW(nullptr, FALSE, L"Global\\One Quorlan TVKClient At A Time"));
        auto agent = c.agent ? StartAgent({}, L"" VERIMARK_SAMPLE_DATA, L"250") : nullptr;
        const std::set<std::wstring> requests = NamesIn(requestDir_), responses = NamesIn(responseDir_);
        const Finished run = RunTool({L"--check"});
        EXPECT_EQ(run.exitCode, c.status) << run.out;
        EXPECT_NE(run.out.find(c.line), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("Response directory: "), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(NamesIn(requestDir_), requests);
        EXPECT_EQ(NamesIn(responseDir_), responses);
        // The same look for programs: one JSON document, on standard output and in a file,
        // with the check that stands in the way marked as not passed.
        const FileLocation file = scratch_ / "check.json";
        const Finished json = RunTool({L"--check", L"--json", L"--output", L"json:" + Wide(file)});
        EXPECT_EQ(json.exitCode, c.status) << json.out << json.err;
        EXPECT_EQ(ReadWholeFile(file), json.out);
        const JsonValue document = ParseJson(json.out);
        EXPECT_EQ(document["status"].number, c.status);
        EXPECT_EQ(document["ready"].boolean, c.status == 0);
        const std::string line = c.line, name = line.substr(0, line.find(": "));
        std::size_t failed = 0, named = 0;
        for (const JsonValue& check : document["checks"].elements) {
            failed += !check["passed"].boolean;
            if (check["name"].text == name && (check["name"].text + ": " + check["words"].text).starts_with(line)) {
                ++named;
                EXPECT_EQ(check["passed"].boolean, c.status == 0) << name;
            }
        }
        EXPECT_EQ(named, c.status == 0 ? 0u : 1u) << json.out;
        EXPECT_EQ(failed != 0, c.status != 0) << json.out;
        DeleteFileW(Wide(file).c_str());
        held.reset();
        EXPECT_TRUE(ComplianceLock().Acquire());  // the look let go of it
        agent.reset();
        StopAgent();
        DeleteFileW(Wide(requestFile_).c_str());
        RemoveDirectoryW(Wide(requestFile_).c_str());
        registry_.SetString(ClientKeyPath, L"Version", L"4.1.8");
        registry_.SetString(ApiKeyPath, L"RequestDir", std::wstring(Wide(requestDir_)));
    }
    const Finished mixed = RunTool({L"--check", L"-c", url, L"pass.xml"});
    EXPECT_EQ(mixed.exitCode, static_cast<DWORD>(-1)) << mixed.out;
    EXPECT_NE(mixed.err.find("--check stands alone"), std::string::npos) << mixed.err;
    const Finished html = RunTool({L"--check", L"--output", L"html:" + Wide(scratch_ / "check.html")});
    EXPECT_EQ(html.exitCode, static_cast<DWORD>(-1)) << html.out;
    EXPECT_NE(html.err.find("--check writes its look as json only"), std::string::npos) << html.err;
}

// --quiet: no progress line anywhere; standard error empty for every evaluation that
// completed, and the one line of explanation for any other outcome. With --json the
// document still comes, and a time limit's outcome has no session code but the last percent.
TEST_F(Automation, QuietLeavesStandardErrorToFailures)
{
    auto agent = StartAgent({}, PassingSite(), L"3000");  // slow enough for the time limit
    const struct {
        std::vector<std::wstring> args;
        DWORD status;
    } cases[] = {
        {{L"-c", url, L"pass.xml"}, 0},
        {{L"-c", url, L"fail.xml"}, 1},
        {{L"-c", url, L"empty.xml"}, 14},
        {{L"-c", url, L"unevaluated.xml"}, 15},
        {{L"--json", L"-c", url, L"unevaluated.xml"}, 15},
        {{L"-c", url}, 2},
        {{L"--json", L"-c", url}, 2},
        {{L"--timeout", L"2", L"--json", L"-c", url, L"pass.xml"}, 10},
        {{L"-c", url, L"No Such Document"}, 8},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> args{L"--quiet", L"--exit-codes"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(testing::Message() << "status " << c.status);
        const Finished run = RunTool(args);
        EXPECT_EQ(run.exitCode, c.status) << run.out << run.err;
        EXPECT_EQ(run.out.find("% completed."), std::string::npos) << run.out;
        if (c.status == 0 || c.status == 1 || c.status == 14 || c.status == 15) {
            EXPECT_EQ(run.err, "");
        } else {
            EXPECT_EQ(Count(run.err, "\n"), 1u) << run.err;
            EXPECT_EQ(run.err.rfind("Verimark: ", 0), 0u) << run.err;
        }
        if (c.status == 10) {
            const JsonValue outcome = ParseJson(run.out)["outcome"];
            EXPECT_EQ(outcome["code"].kind, JsonValue::Kind::Null);
            EXPECT_EQ(outcome["name"].text, "TimedOut");
            EXPECT_EQ(outcome["lastPercent"].kind, JsonValue::Kind::Number);
        }
        if (c.status == 15 && run.out.starts_with("{")) {
            const JsonValue items = ParseJson(run.out)["items"];
            ASSERT_EQ(items.elements.size(), 2u);
            EXPECT_EQ(items.elements[1]["status"].text, "error");
            EXPECT_FALSE(items.elements[1]["passed"].boolean);
            EXPECT_EQ(items.elements[0]["status"].text, "passed");
        }
    }
}

// Without --exit-codes every run that ran ends with 0, as before, and a time limit with its own.
TEST_F(Automation, WithoutExitCodesOnlyATimeLimitHasItsStatus)
{
    auto agent = StartAgent({}, L"" VERIMARK_SAMPLE_DATA, L"3000");
    EXPECT_EQ(RunTool({L"--timeout", L"1", L"-c", url, L"Workstation Baseline"}).exitCode, 10u);
}

TEST_F(Automation, HelpAndVersionAreNoFailure)
{
    for (const wchar_t* form : {L"--help", L"-h", L"/?"}) {
        const Finished help = RunTool({form});
        EXPECT_EQ(help.exitCode, 0u);
        EXPECT_EQ(help.out.rfind("Usage: \r\n       Verimark -d\r\n", 0), 0u) << help.out;
        EXPECT_NE(help.out.find("    --json "), std::string::npos);
        EXPECT_NE(help.out.find("    13  any other failure\r\n"), std::string::npos);
    }
    const Finished version = RunTool({L"--version"});
    EXPECT_EQ(version.exitCode, 0u);
    EXPECT_EQ(version.out, "Verimark " VERIMARK_VERSION "\r\n");
}

// Where options stand and what they make of the rest: each row names the argument that is
// wrong, on standard error and in the JSON message, and nothing runs.
struct Refused {
    const char* name;
    std::vector<std::wstring> args;  // "<url>" is the site
    DWORD status;
    std::string err;  // what standard error holds after the usage text
};

class RefusedArguments : public Automation, public ::testing::WithParamInterface<Refused> {};

TEST_P(RefusedArguments, AreAUsageErrorNamingTheArgument)
{
    const Refused& c = GetParam();
    std::vector<std::wstring> args;
    for (const std::wstring& a : c.args)
        args.push_back(a == L"<url>" ? url : a);
    const Finished run = RunTool(args);
    EXPECT_EQ(run.exitCode, c.status) << run.out << run.err;
    const bool json = std::find(args.begin(), args.end(), L"--json") != args.end();
    EXPECT_EQ((json ? run.err : run.out).rfind("Usage: \r\n", 0), 0u);
    EXPECT_NE(run.err.find("Verimark: " + c.err + ": see Verimark --help\r\n"), std::string::npos) << run.err;
    if (json) {
        const JsonValue document = ParseJson(run.out);
        EXPECT_EQ(document["outcome"]["status"].number, 2);
        EXPECT_NE(document["outcome"]["message"].text.find(c.err), std::string::npos);
    }
    EXPECT_FALSE(PendingRequest());
}

INSTANTIATE_TEST_SUITE_P(
    Each, RefusedArguments,
    ::testing::Values(
        Refused{"UnknownBeforeTheForm", {L"--jsn", L"-d"}, static_cast<DWORD>(-1), "unknown option --jsn"},
        Refused{"UnknownAfterTheForm", {L"-c", L"<url>", L"d", L"--frobnicate"}, static_cast<DWORD>(-1),
                "unknown option --frobnicate"},
        Refused{"UnknownWithExitCodes", {L"-c", L"<url>", L"d", L"--exit-codes", L"--frob"}, 2,
                "unknown option --frob"},
        Refused{"UnknownInJson", {L"--json", L"-d", L"--bogus"}, 2, "unknown option --bogus"},
        Refused{"HelpIsNoOptionBesideAForm", {L"--help", L"-d"}, static_cast<DWORD>(-1), "unknown option --help"},
        Refused{"TimeoutZero", {L"--timeout", L"0", L"-d"}, static_cast<DWORD>(-1),
                "--timeout takes a whole number of seconds from 1 to 604800, not \"0\""},
        Refused{"TimeoutNotANumber", {L"-d", L"--timeout", L"x"}, static_cast<DWORD>(-1),
                "--timeout takes a whole number of seconds from 1 to 604800, not \"x\""},
        Refused{"FlagsWithoutDigits", {L"--exit-codes", L"-c", L"<url>", L"d", L"abc"}, 2,
                "the flags argument must be a number from 0 to 15, not \"abc\""},
        Refused{"FlagsWithATail", {L"-x", L"<url>", L"d", L"C:\\out.xml", L"7x", L"--exit-codes"}, 2,
                "the flags argument must be a number from 0 to 15, not \"7x\""},
        Refused{"FlagsTooLarge", {L"--json", L"-c", L"<url>", L"d", L"16"}, 2,
                "the flags argument must be a number from 0 to 15, not \"16\""},
        Refused{"FlagsNegative", {L"--exit-codes", L"-c", L"<url>", L"d", L" -1"}, 2,
                "the flags argument must be a number from 0 to 15, not \" -1\""},
        // A mistyped option where the flags go is not read as flags 0; the lenient reading
        // of other words (abc, 7x) stays.
        Refused{"OptionWithOneDash", {L"-c", L"<url>", L"d", L"-exit-codes"}, static_cast<DWORD>(-1),
                "\"-exit-codes\" stands where the flags go and is not a number: options begin with \"--\""},
        Refused{"OptionWithASlash", {L"-x", L"<url>", L"d", L"C:\\out.xml", L"/exit-codes"}, static_cast<DWORD>(-1),
                "\"/exit-codes\" stands where the flags go and is not a number: options begin with \"--\""},
        // An em dash, as word processors write "--" (in the ANSI code page on standard error).
        Refused{"OptionWithAnEmDash", {L"-c", L"<url>", L"d", L"\u2014exit-codes"}, static_cast<DWORD>(-1),
                "\"\x97" "exit-codes\" stands where the flags go and is not a number: options begin with \"--\""},
        // Text that is not valid UTF-16, in each place a text goes, before any session.
        Refused{"DocumentNotValidText", {L"--exit-codes", L"-c", L"<url>", L"d\xD800"}, 2,
                "argument 4 is not valid text: it holds an unpaired surrogate at character 2"},
        Refused{"ExportPathNotValidText", {L"--json", L"-x", L"<url>", L"d", L"C:\\\xDC00.xml"}, 2,
                "argument 5 is not valid text: it holds an unpaired surrogate at character 4"},
        Refused{"ReportPathNotValidText", {L"--output", L"json:C:\\r\xD800.json", L"-c", L"<url>", L"d"},
                static_cast<DWORD>(-1), "argument 2 is not valid text: it holds an unpaired surrogate at character 10"},
        Refused{"UrlNotValidText", {L"-c", L"x\xDBFF", L"d", L"--exit-codes"}, 2,
                "argument 2 is not valid text: it holds an unpaired surrogate at character 2"}),
    [](const auto& info) { return std::string(info.param.name); });

// The time limit bounds an Open nobody takes, in real time; the request is withdrawn, so
// the agent, once it works again, starts no evaluation for the run that gave up.
TEST_F(Automation, TimeLimitBoundsAnOpenNobodyTakes)
{
    auto stalled = StartAgent({L"never-take"});
    const Finished run = RunTool({L"-c", url, L"Workstation Baseline", L"--exit-codes", L"--timeout", L"3"});
    EXPECT_EQ(run.exitCode, 10u) << run.out << run.err;
    EXPECT_LT(run.seconds, Scaled(5.0));
    // No session existed: the words say what was not taken, and give no advice to wait longer.
    EXPECT_NE(run.err.find("Verimark: the agent did not take the request (request.xml in its request directory) "
                           "within the time limit of 3 seconds"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(PendingRequest());
    stalled.reset();
    auto working = StartAgent();
    EXPECT_EQ(RunTool({L"--exit-codes", L"-c", url, L"Workstation Baseline"}).exitCode, 1u);
    EXPECT_EQ(Count(working->Output(), "took Open request"), 1u) << working->Output();
}

// "--" ends the options: a document named like one reaches the agent as it is, and
// options after the form are read wherever they stand.
TEST_F(Automation, DoubleDashEndsTheOptions)
{
    auto agent = StartAgent();
    const Finished run = RunTool({L"-c", url, L"--json", L"--", L"--not-an-option"});
    EXPECT_EQ(run.exitCode, 8u) << run.out << run.err;  // the agent knows no such document
    const JsonValue document = ParseJson(run.out);
    EXPECT_EQ(document["document"].text, "--not-an-option");
    EXPECT_EQ(document["outcome"]["code"].number, -31);
}

void ExpectTimestamp(const JsonValue& value)
{
    ASSERT_EQ(value.kind, JsonValue::Kind::String);
    EXPECT_TRUE(std::regex_match(value.text, std::regex("20[0-9]{2}-[01][0-9]-[0-3][0-9]T[0-2][0-9]:[0-5][0-9]:[0-6][0-9]"
                                                        "\\.[0-9]{3}Z")))
        << value.text;
}

// The document is the only thing on standard output, and a strict parser of its own reads
// it field by field: texts in UTF-8 whatever the code page. It is written as the run goes:
// what is known at the start, the items, then how the run ended.
TEST_F(Automation, JsonDocumentFieldByField)
{
    auto agent = StartAgent({}, PassingSite(), L"3000");
    const FileLocation exported = scratch_ / "exported.xml";
    Finished run = RunTool({L"--json", L"-x", url, L"pass.xml", Wide(exported), L"3"});
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    const JsonValue document = ParseJson(run.out);
    EXPECT_EQ(document.Names(),
              (std::vector<std::string>{"schemaVersion", "tool", "agent", "host", "started", "url", "document", "flags",
                                        "items", "ended", "durationSeconds", "outcome", "summary", "export"}));
    EXPECT_EQ(document["schemaVersion"].number, 2);
    EXPECT_EQ(document["agent"]["version"].text, "4.1.8");
    EXPECT_GT(document["durationSeconds"].number, 0.0);
    EXPECT_LT(document["durationSeconds"].number, 60.0);
    EXPECT_EQ(document["tool"]["name"].text, "Verimark");
    EXPECT_EQ(document["tool"]["version"].text, VERIMARK_VERSION);
    EXPECT_FALSE(document["host"].text.empty());
    ExpectTimestamp(document["started"]);
    ExpectTimestamp(document["ended"]);
    EXPECT_LE(document["started"].text, document["ended"].text);
    EXPECT_EQ(document["url"].text, "http://myserver:52311/cgi-bin/tvkgather.exe/actionsite");
    EXPECT_EQ(document["document"].text, "pass.xml");
    EXPECT_EQ(document["flags"].number, 3);
    const JsonValue& outcome = document["outcome"];
    EXPECT_EQ(outcome.Names(), (std::vector<std::string>{"status", "code", "name", "message"}));
    EXPECT_EQ(outcome["status"].number, 0);
    EXPECT_EQ(outcome["code"].number, 1);
    EXPECT_EQ(outcome["name"].text, "ProgressComplete");
    ASSERT_EQ(document["items"].elements.size(), 1u);
    const JsonValue& item = document["items"].elements[0];
    EXPECT_EQ(item.Names(), (std::vector<std::string>{"designator", "result", "resultType", "evaluationTime",
                                                      "description", "comment", "status", "passed",
                                                      "evaluationTimeMicroseconds"}));
    EXPECT_EQ(item["status"].text, "passed");
    EXPECT_TRUE(item["passed"].boolean);
    EXPECT_EQ(item["evaluationTimeMicroseconds"].number, std::stod(item["evaluationTime"].text));
    EXPECT_EQ(item["designator"].text, "windows");
    EXPECT_EQ(item["result"].text, "True");
    EXPECT_EQ(item["resultType"].text, "boolean");
    EXPECT_TRUE(std::regex_match(item["evaluationTime"].text, std::regex("[0-9]+")));
    EXPECT_EQ(item["description"].text, "\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(document["summary"]["total"].number, 1);
    EXPECT_EQ(document["summary"]["true"].number, 1);
    EXPECT_EQ(document["summary"]["false"].number, 0);
    EXPECT_EQ(document["summary"]["error"].number, 0);
    EXPECT_EQ(document["export"]["path"].text, std::string(exported.Text().View()));
    EXPECT_TRUE(document["export"]["written"].boolean);
    // Progress went to standard error as it happened, and nothing else did.
    EXPECT_NE(run.err.find("COMPLIANCE_Progress "), std::string::npos) << run.err;
    EXPECT_EQ(Count(run.err, "\n"), Count(run.err, "% completed.\r\n"));
    agent.reset();

    // A failure: its status, code, name and explanation; no items; nothing exported.
    run = RunTool({L"--json", L"-x", url, L"pass.xml", Wide(scratch_ / "never.xml")});
    EXPECT_EQ(run.exitCode, 5u);
    const JsonValue failed = ParseJson(run.out);
    EXPECT_EQ(failed["outcome"]["status"].number, 5);
    EXPECT_EQ(failed["outcome"]["code"].number, -2);
    EXPECT_EQ(failed["outcome"]["name"].text, "AgentNotRunning");
    EXPECT_EQ(failed["outcome"]["message"].text, "the agent is not running: start TVKClient and try again");
    EXPECT_EQ(failed["agent"]["version"].text, "4.1.8");
    EXPECT_TRUE(failed["items"].elements.empty());
    EXPECT_EQ(failed["summary"]["total"].number, 0);
    EXPECT_FALSE(failed["export"]["written"].boolean);
    EXPECT_EQ(run.err, "Verimark: the agent is not running: start TVKClient and try again [-2]\r\n");

    // Not understood: the usage text on standard error, the document still on standard output.
    run = RunTool({L"--json", L"-c", url});
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(ParseJson(run.out)["outcome"]["status"].number, 2);
    EXPECT_EQ(run.err.rfind("Usage: \r\n", 0), 0u);
}

// Ctrl+C mid-evaluation, to the tool's own process group or to every process of its
// console: the tool stops polling, sends its Close, lets go of the lock and ends as
// cancelled, or without --exit-codes as an interrupted console program does. (Ctrl+Break
// takes the same way in the tool; Wine cannot send it.)
TEST_F(Automation, CtrlCAndCtrlBreakCloseTheSession)
{
    const struct {
        const wchar_t* event;
        bool exitCodes;
        DWORD status;
    } cases[] = {
        {L"group", true, 11},
        {L"console", true, 11},
        {L"group", false, static_cast<DWORD>(STATUS_CONTROL_C_EXIT)},
    };
    auto agent = StartAgent({}, L"" VERIMARK_SAMPLE_DATA, L"2000");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.event, c.event + std::wcslen(c.event)) << " " << c.exitCodes);
        const std::size_t closes = Count(agent->Output(), "took Close request");
        std::vector<std::wstring> args{c.event, L"% completed.", Verimark()};
        if (c.exitCodes)
            args.push_back(L"--exit-codes");
        for (const wchar_t* a : {L"-c", url.c_str(), L"Workstation Baseline"})
            args.push_back(a);
        const Finished run =
            RunProgram(ProgramPath(L"tool/send_console_event.exe"), args, 60000, CREATE_NEW_CONSOLE);
        EXPECT_EQ(run.exitCode, c.status) << run.out << run.err;
        EXPECT_NE(run.out.find("% completed.\r\n"), std::string::npos) << run.out;
        EXPECT_NE(run.err.find("Verimark: cancelled; the session was closed"), std::string::npos) << run.err;
        EXPECT_LT(run.seconds, Scaled(15.0));
        EXPECT_TRUE(agent->WaitForOutput("took Close request", 5000));
        EXPECT_EQ(Count(agent->Output(), "took Close request"), closes + 1);
        EXPECT_TRUE(ComplianceLock().Acquire());
        EXPECT_FALSE(PendingRequest());
    }
    // The next run opens and polls as usual.
    const Finished next = RunTool({L"--exit-codes", L"--timeout", L"2", L"-c", url, L"Workstation Baseline"});
    EXPECT_EQ(next.exitCode, 10u) << next.out << next.err;
}

}  // namespace
