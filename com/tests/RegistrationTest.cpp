// Self-registration through regsvr32, and real script clients through cscript, against
// the stand-in agent. These change HKEY_CLASSES_ROOT and run real processes.
#include "compliance/tests/MachineState.h"
#include "tool/tests/ProcessRunner.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

const std::wstring url = L"http://myserver:52311/cgi-bin/tvkgather.exe/actionsite";
const std::wstring clsidKey = L"CLSID\\{" VERIMARK_CLSID_SESSION L"}";

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

    ASSERT_EQ(Regsvr32({L"/u", L"/s", Dll()}).exitCode, 0u);
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
    run = Script(Source(L"tests/scripts/errors.vbs"));
    EXPECT_EQ(run.exitCode, 0u) << run.out;
    EXPECT_NE(run.out.find("errors: ok"), std::string::npos) << run.out;
}

}  // namespace
