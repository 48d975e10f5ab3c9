// Self-registration through regsvr32, and real script clients through cscript, against
// the stand-in agent. These change HKEY_CLASSES_ROOT and run real processes.
#include "com/TVKVerimarkMod.h"
#include "compliance/Registry.h"
#include "compliance/tests/MachineState.h"
#include "files/tests/TestPlatform.h"
#include "tool/tests/ProcessRunner.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

const std::wstring url = L"http://myserver:52311/cgi-bin/tvkgather.exe/actionsite";
const std::wstring clsidKey = L"CLSID\\{" VERIMARK_CLSID_SESSION L"}";

std::wstring Braced(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}
// The keys of the Evaluation class and of the interfaces of its objects.
std::vector<std::wstring> EvaluationKeys()
{
    std::vector<std::wstring> keys{L"TVKVerimarkMod.Evaluation", L"TVKVerimarkMod.Evaluation.1",
                                   L"CLSID\\" + Braced(CLSID_Evaluation)};
    for (const IID* iid : {&IID_IEvaluation, &IID_IEvaluationResult, &IID_IEvaluationItems, &IID_IEvaluationItem,
                           &IID_IEvaluationSummary})
        keys.push_back(L"Interface\\" + Braced(*iid));
    return keys;
}

std::wstring Dll() { return ProgramPath(L"com/TVKVerimarkMod.dll"); }

// Programs that read "/" as the start of a switch get backslashes only.
std::wstring Source(const wchar_t* relative)
{
    std::wstring path = std::wstring(VERIMARK_COM_SOURCE L"/") + relative;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}
std::wstring System(const wchar_t* program) { return std::wstring(L"C:\\windows\\system32\\") + program; }

Finished Regsvr32(const std::vector<std::wstring>& arguments) { return RunProgram(System(L"regsvr32.exe"), arguments); }

// Everything below a key of HKEY_CLASSES_ROOT, as text: names, values, data.
std::wstring Dump(const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return L"(missing)";
    const UniqueRegistryKey owner(key);
    std::wstring out = L"[" + path + L"]\n";
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        BYTE data[1024];
        DWORD nameLength = 256, size = sizeof data, type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        out += std::wstring(name) + L"=" + std::to_wstring(type) + L":" +
               std::wstring(reinterpret_cast<wchar_t*>(data), size / sizeof(wchar_t)) + L"\n";
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out += Dump(path + L"\\" + name);
    }
    return out;
}

std::wstring Default(const std::wstring& path, const wchar_t* name = nullptr)
{
    wchar_t buffer[1024];
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return L"(missing)";
    return buffer;
}

class Registration : public ::testing::Test {
protected:
    void TearDown() override { Regsvr32({L"/u", L"/s", Dll()}); }
};

TEST_F(Registration, WritesTheClassesAndTheTypeLibrary)
{
    ASSERT_EQ(Regsvr32({L"/s", Dll()}).exitCode, 0u);
    EXPECT_EQ(Default(L"TVKVerimarkMod.Session"), L"Session Class");
    EXPECT_EQ(Default(L"TVKVerimarkMod.Session\\CurVer"), L"TVKVerimarkMod.Session.1");
    EXPECT_EQ(Default(L"TVKVerimarkMod.Session.1\\CLSID"), L"{" VERIMARK_CLSID_SESSION L"}");
    EXPECT_EQ(Default(clsidKey + L"\\ProgID"), L"TVKVerimarkMod.Session.1");
    EXPECT_EQ(Default(clsidKey + L"\\VersionIndependentProgID"), L"TVKVerimarkMod.Session");
    EXPECT_NE(Dump(clsidKey + L"\\Programmable"), L"(missing)");
    EXPECT_EQ(Default(clsidKey + L"\\InprocServer32"), Dll());
    EXPECT_EQ(Default(clsidKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(Default(clsidKey + L"\\TypeLib"), L"{" VERIMARK_LIBID L"}");
    EXPECT_EQ(Default(L"TypeLib\\{" VERIMARK_LIBID L"}\\1.0"), L"TVKVerimarkMod 1.0 Type Library");
    for (const wchar_t* progId : {L"TVKVerimarkMod.Progress.1", L"TVKVerimarkMod.Response.1"})
        EXPECT_NE(Default(progId), L"(missing)") << progId;

    const std::wstring once = Dump(L"TVKVerimarkMod.Session") + Dump(clsidKey) + Dump(L"TypeLib\\{" VERIMARK_LIBID L"}");
    ASSERT_EQ(Regsvr32({L"/s", Dll()}).exitCode, 0u);
    EXPECT_EQ(Dump(L"TVKVerimarkMod.Session") + Dump(clsidKey) + Dump(L"TypeLib\\{" VERIMARK_LIBID L"}"), once);

    EXPECT_EQ(Default(L"TVKVerimarkMod.Evaluation\\CurVer"), L"TVKVerimarkMod.Evaluation.1");
    EXPECT_EQ(Default(L"TVKVerimarkMod.Evaluation.1\\CLSID"), Braced(CLSID_Evaluation));
    EXPECT_EQ(Default(L"CLSID\\" + Braced(CLSID_Evaluation) + L"\\InprocServer32"), Dll());
    for (const std::wstring& key : EvaluationKeys())
        EXPECT_NE(Dump(key), L"(missing)") << std::string(key.begin(), key.end());

    ASSERT_EQ(Regsvr32({L"/u", L"/s", Dll()}).exitCode, 0u);
    for (const std::wstring& key : EvaluationKeys())
        EXPECT_EQ(Dump(key), L"(missing)") << std::string(key.begin(), key.end());
    EXPECT_EQ(Dump(L"TVKVerimarkMod.Session"), L"(missing)");
    EXPECT_EQ(Dump(L"TVKVerimarkMod.Session.1"), L"(missing)");
    EXPECT_EQ(Dump(clsidKey), L"(missing)");
    EXPECT_NE(Dump(L"CLSID").substr(0, 7), L"(missing");
    EXPECT_EQ(Dump(L"TypeLib\\{" VERIMARK_LIBID L"}"), L"(missing)");
}

TEST_F(Registration, ModulePathWithASingleQuoteSurvives)
{
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder = std::wstring(temp) + L"it's verimark";
    const std::wstring copy = folder + L"\\TVKVerimarkMod.dll";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(Dll().c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(Regsvr32({L"/s", copy}).exitCode, 0u);
    EXPECT_EQ(Default(clsidKey + L"\\InprocServer32"), copy);
    EXPECT_EQ(Regsvr32({L"/u", L"/s", copy}).exitCode, 0u);
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
}

class ScriptClients : public AgentEnvironment {
protected:
    void SetUp() override
    {
        AgentEnvironment::SetUp();
        StopAgent();
        ASSERT_EQ(Regsvr32({L"/s", Dll()}).exitCode, 0u);
        agent_ = std::make_unique<BackgroundProgram>(
            ProgramPath(L"agent/TVKClientSim.exe"),
            std::vector<std::wstring>{L"run", L"--data", L"" VERIMARK_SAMPLE_DATA, L"--check-interval", L"100"});
        ASSERT_TRUE(agent_->WaitForOutput("running:"));
    }
    void TearDown() override
    {
        agent_.reset();
        Regsvr32({L"/u", L"/s", Dll()});
        AgentEnvironment::TearDown();
    }
    Finished Script(const std::wstring& path, std::vector<std::wstring> arguments = {})
    {
        arguments.insert(arguments.begin(), {L"//nologo", path});
        return RunProgram(System(L"cscript.exe"), arguments, 120000);
    }

    std::unique_ptr<BackgroundProgram> agent_;
};

TEST_F(ScriptClients, ExamplesRunWholeSessions)
{
    for (const wchar_t* example : {L"session.js", L"session.vbs"}) {
        const Finished run = Script(Source((std::wstring(L"examples/") + example).c_str()));
        EXPECT_EQ(run.exitCode, 0u) << run.out;
        EXPECT_NE(run.out.find("Items: 8"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("Designator: legacy-policy\r\nResult: False\r\n"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("Close returned 0"), std::string::npos) << run.out;
    }
    // The Evaluation examples: Enumerator and For Each over the items, the tool's status.
    for (const wchar_t* example : {L"evaluation.js", L"evaluation.vbs"}) {
        const Finished run = Script(Source((std::wstring(L"examples/") + example).c_str()));
        EXPECT_EQ(run.exitCode, 1u) << run.out;
        EXPECT_EQ(run.out, "Exit status 1: the evaluation completed and at least one check did not pass\r\n"
                           "Items: 8 (7 passed, 1 failed, 0 not evaluated)\r\n"
                           "failed: legacy-policy (False) C:\\ProgramData\\Quorlan\\policy.ini is missing\r\n");
    }
}

// A Run against an agent that never takes the request, with a time limit of 3 seconds: the
// call ends within the limit and 2 seconds with the tool's status 10, in words that name no
// option of the tool's, and the request is withdrawn.
TEST_F(ScriptClients, RunEndsWithinItsTimeLimit)
{
    agent_.reset();
    agent_ = std::make_unique<BackgroundProgram>(
        ProgramPath(L"agent/TVKClientSim.exe"),
        std::vector<std::wstring>{L"run", L"--data", L"" VERIMARK_SAMPLE_DATA, L"--fault", L"never-take"});
    ASSERT_TRUE(agent_->WaitForOutput("running:"));
    const Finished run = Script(Source(L"examples/evaluation.js"), {url, L"Workstation Baseline", L"3"});
    EXPECT_EQ(run.exitCode, 10u) << run.out;
    EXPECT_NE(run.out.find("Exit status 10: the agent did not take the request (request.xml in its request "
                           "directory) within the time limit of 3 seconds"),
              std::string::npos)
        << run.out;
    EXPECT_LT(run.seconds, Scaled(5.0) + 1.5);  // the script host's own start aside
    EXPECT_EQ(requestFile_.Attributes(), INVALID_FILE_ATTRIBUTES);
}

// Each status a run can end with comes back as ExitStatus, with the tool's words.
TEST_F(ScriptClients, EveryOutcomeIsInTheResult)
{
    enum class Arrange { Nothing, NoVersion, TooOld, NotRunning, NoSuchDocument };
    const struct {
        const char* what;
        Arrange arrange;
        std::vector<std::wstring> faults;
        DWORD status;
        const char* words;
    } cases[] = {
        {"not installed", Arrange::NoVersion, {}, 3, "the agent's version is not in the registry"},
        {"too old", Arrange::TooOld, {}, 4, "the agent is too old"},
        {"not running", Arrange::NotRunning, {}, 5, "the agent is not running"},
        {"never taken", Arrange::Nothing, {L"never-take"}, 7, "did not take the request"},
        {"the agent's own error", Arrange::NoSuchDocument, {}, 8, "the agent reported an error"},
        {"reports not available", Arrange::Nothing, {L"error-22@2"}, 8, "results are not available right now"},
        {"a text that is not UTF-8", Arrange::Nothing, {L"invalid-utf8"}, 12, "UTF-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        agent_.reset();
        StopAgent();
        std::vector<std::wstring> arguments{L"run", L"--data", L"" VERIMARK_SAMPLE_DATA, L"--check-interval", L"100"};
        for (const std::wstring& fault : c.faults)
            arguments.insert(arguments.end(), {L"--fault", fault});
        if (c.arrange != Arrange::NotRunning) {
            agent_ = std::make_unique<BackgroundProgram>(ProgramPath(L"agent/TVKClientSim.exe"), arguments);
            ASSERT_TRUE(agent_->WaitForOutput("running:"));
        }
        if (c.arrange == Arrange::NoVersion)
            registry_.Remove(ClientKeyPath, L"Version");
        if (c.arrange == Arrange::TooOld)
            registry_.SetString(ClientKeyPath, L"Version", L"4.1.7");
        const std::wstring document = c.arrange == Arrange::NoSuchDocument ? L"No Such Document" : L"Workstation Baseline";
        const Finished run = Script(Source(L"examples/evaluation.js"), {url, document, L"60"});
        EXPECT_EQ(run.exitCode, c.status) << run.out;
        EXPECT_NE(run.out.find("Exit status " + std::to_string(c.status) + ": "), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(c.words), std::string::npos) << run.out;
        registry_.SetString(ClientKeyPath, L"Version", L"4.1.8");
    }
}

// An evaluation slower than the script's time limit: the examples poll (where Wine's host
// has no WScript.Sleep, SessionProgress paces them), give up, say so, and still close the
// session. Numeric arguments that are no such numbers end the script before it starts.
TEST_F(ScriptClients, ExamplesGiveUpAfterTheirTimeLimitAndClose)
{
    agent_.reset();
    agent_ = std::make_unique<BackgroundProgram>(
        ProgramPath(L"agent/TVKClientSim.exe"),
        std::vector<std::wstring>{L"run", L"--data", L"" VERIMARK_SAMPLE_DATA, L"--check-interval", L"5000"});
    ASSERT_TRUE(agent_->WaitForOutput("running:"));
    for (const wchar_t* example : {L"session.js", L"session.vbs"}) {
        SCOPED_TRACE(testing::Message() << (example[8] == L'j' ? "session.js" : "session.vbs"));
        const std::wstring path = Source((std::wstring(L"examples/") + example).c_str());
        const Finished run = Script(path, {url, L"Workstation Baseline", L"0", L"3"});
        EXPECT_EQ(run.exitCode, 1u) << run.out;
        EXPECT_NE(run.out.find("Progress 0%\r\n"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("Gave up: the evaluation did not finish within 3 seconds\r\nClose returned 0"),
                  std::string::npos)
            << run.out;
        EXPECT_GE(run.seconds, 3.0);
        for (const std::vector<std::wstring>& bad :
             {std::vector<std::wstring>{url, L"d", L"16"}, {url, L"d", L"x"}, {url, L"d", L"0", L"-1"}}) {
            const Finished refused = Script(path, bad);
            EXPECT_EQ(refused.exitCode, 3u) << refused.out;
            EXPECT_NE(refused.out.find("must be a whole number"), std::string::npos) << refused.out;
        }
    }
}

TEST_F(ScriptClients, BehaviourSeenByScripts)
{
    Finished run = Script(Source(L"tests/scripts/behaviour.js"), {url, L"Workstation Baseline"});
    EXPECT_EQ(run.exitCode, 0u) << run.out;
    EXPECT_NE(run.out.find("behaviour: ok"), std::string::npos) << run.out;
    run = Script(Source(L"tests/scripts/evaluation.js"), {url, L"Workstation Baseline"});
    EXPECT_EQ(run.exitCode, 0u) << run.out;
    EXPECT_NE(run.out.find("evaluation: ok"), std::string::npos) << run.out;
    run = Script(Source(L"tests/scripts/errors.vbs"));
    EXPECT_EQ(run.exitCode, 0u) << run.out;
    EXPECT_NE(run.out.find("errors: ok"), std::string::npos) << run.out;
}

}  // namespace
