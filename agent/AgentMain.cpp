// TVKClientSim: a stand-in for the management agent, for demos, tests and script authors.
//
//   TVKClientSim install [--version V] [--request-dir DIR] [--response-dir DIR] [--view 32|64]
//   TVKClientSim uninstall [--view 32|64]
//   TVKClientSim run [--data DIR] [--check-interval MS] [--keep-answers DIR] [--fault NAME[:ARG][@N]]...
//   TVKClientSim stop
#include "agent/FaultPlan.h"
#include "agent/StandInAgent.h"
#include "compliance/Registry.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

const wchar_t* const stopEventName = L"TVKClientSim.Stop";
const wchar_t* const agentMutexName = L"Global\\One Quorlan TVKClient At A Time";

std::string Narrow(std::wstring_view wide) { return std::string(TranscodeU16ToU8(wide).StringView()); }
std::wstring Wide(const std::string& utf8) { return std::wstring(TranscodeU8ToU16(std::string_view(utf8)).StringView()); }

void Log(const std::string& line)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    std::printf("%04u-%02u-%02u %02u:%02u:%02u.%03u %s\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                t.wMilliseconds, line.c_str());
    std::fflush(stdout);
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "TVKClientSim: %s\n", message.c_str());
    return 1;
}

// The registry view flag of "--view 32" or "--view 64": an agent of that bitness keeps
// its values there. None (0) is the view of this program's own bitness.
std::optional<REGSAM> ParseView(const std::wstring& text)
{
    if (text == L"32")
        return KEY_WOW64_32KEY;
    if (text == L"64")
        return KEY_WOW64_64KEY;
    return std::nullopt;
}

bool SetString(const wchar_t* keyPath, const wchar_t* name, const std::wstring& value, REGSAM view = 0)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const UniqueRegistryKey owner(key);
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void DeleteValue(const wchar_t* keyPath, const wchar_t* name, REGSAM view = 0)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS)
        return;
    const UniqueRegistryKey owner(key);
    RegDeleteValueW(key, name);
}

std::wstring DefaultDirectory(const wchar_t* leaf)
{
    wchar_t base[MAX_PATH] = L"C:\\ProgramData";
    GetEnvironmentVariableW(L"ProgramData", base, MAX_PATH);
    return std::wstring(base) + L"\\Quorlan\\VerimarkAPI\\" + leaf;
}

struct Arguments {
    std::vector<std::wstring> words;
    std::size_t at = 2;
    bool More() const { return at < words.size(); }
    const std::wstring& Next() { return words[at++]; }
};

// Creates a directory and whatever of its parents is missing.
void CreateDirectories(const std::wstring& path)
{
    for (std::size_t at = path.find_first_of(L"\\/", 3); at != std::wstring::npos; at = path.find_first_of(L"\\/", at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(path.c_str(), nullptr);
}

int Install(Arguments& args)
{
    std::wstring version = L"4.2.0", requests = DefaultDirectory(L"Requests"), responses = DefaultDirectory(L"Responses");
    REGSAM view = 0;
    while (args.More()) {
        const std::wstring option = args.Next();
        if (!args.More())
            return Fail("option " + Narrow(option) + " needs a value");
        const std::wstring value = args.Next();
        if (option == L"--version")
            version = value;
        else if (option == L"--request-dir")
            requests = value;
        else if (option == L"--response-dir")
            responses = value;
        else if (option == L"--view" && ParseView(value))
            view = *ParseView(value);
        else if (option == L"--view")
            return Fail("--view takes 32 or 64");
        else
            return Fail("unknown option " + Narrow(option));
    }
    if (!SetString(ClientKeyPath, L"Version", version, view) || !SetString(ApiKeyPath, L"RequestDir", requests, view) ||
        !SetString(ApiKeyPath, L"ResponseDir", responses, view))
        return Fail("cannot write the registry values under HKEY_LOCAL_MACHINE (administrator rights?)");
    CreateDirectories(requests);
    CreateDirectories(responses);
    const char* where = view == KEY_WOW64_32KEY ? " in the 32-bit registry view" : view == KEY_WOW64_64KEY ? " in the 64-bit registry view" : "";
    Log("installed" + std::string(where) + ": Version " + Narrow(version) + ", RequestDir " + Narrow(requests) +
        ", ResponseDir " + Narrow(responses));
    return 0;
}

// Without --view, from both views: nothing of an earlier install is left in either.
int Uninstall(Arguments& args)
{
    std::vector<REGSAM> views{KEY_WOW64_32KEY, KEY_WOW64_64KEY};
    if (args.More()) {
        const std::wstring option = args.Next();
        const std::optional<REGSAM> view = args.More() ? ParseView(args.Next()) : std::nullopt;
        if (option != L"--view" || !view || args.More())
            return Fail("uninstall takes only --view 32 or --view 64");
        views = {*view};
    }
    for (const REGSAM view : views) {
        DeleteValue(ClientKeyPath, L"Version", view);
        DeleteValue(ApiKeyPath, L"RequestDir", view);
        DeleteValue(ApiKeyPath, L"ResponseDir", view);
    }
    Log("uninstalled");
    return 0;
}

int Stop()
{
    const UniqueHandle event(OpenEventW(EVENT_MODIFY_STATE, FALSE, stopEventName));
    if (!event)
        return Fail("no stand-in agent is running");
    SetEvent(event.Get());
    return 0;
}

HANDLE stopEvent = nullptr;

BOOL WINAPI OnConsoleControl(DWORD)
{
    SetEvent(stopEvent);
    return TRUE;
}

std::uint64_t Now()
{
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

std::optional<std::string> ReadWhole(const std::wstring& path)
{
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read)
        bytes.append(buffer, read);
    return bytes;
}

bool WriteWhole(const std::wstring& path, std::string_view bytes)
{
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// A document the core reads must never be seen half written: write beside it, then replace.
bool Publish(const std::wstring& directory, std::string_view document)
{
    const std::wstring temp = directory + L"\\response.xml.tmp", final = directory + L"\\response.xml";
    return WriteWhole(temp, document) && MoveFileExW(temp.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING);
}

struct Scheduled {
    std::uint64_t at;
    std::string document;
};

int Run(Arguments& args)
{
    std::string data = ".";
    std::wstring keep;
    std::uint32_t interval = 400;
    FaultPlan faults;
    while (args.More()) {
        const std::wstring option = args.Next();
        if (!args.More())
            return Fail("option " + Narrow(option) + " needs a value");
        const std::string value = Narrow(args.Next());
        if (option == L"--data") {
            data = value;
        } else if (option == L"--check-interval") {
            if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789") != std::string::npos)
                return Fail("--check-interval takes milliseconds");
            interval = static_cast<std::uint32_t>(std::stoul(value));
        } else if (option == L"--keep-answers") {
            keep = Wide(value);
        } else if (option == L"--fault") {
            if (auto error = faults.Add(value))
                return Fail(*error);
        } else {
            return Fail("unknown option " + Narrow(option));
        }
    }
    const auto requestDir = ReadRegistryString(ApiKeyPath, L"RequestDir");
    const auto responseDir = ReadRegistryString(ApiKeyPath, L"ResponseDir");
    if (!requestDir || !responseDir || requestDir->Empty() || responseDir->Empty())
        return Fail("RequestDir and ResponseDir are not set: run \"TVKClientSim install\" first");
    const std::wstring requests = Wide(std::string(requestDir->StringView()));
    const std::wstring responses = Wide(std::string(responseDir->StringView()));
    CreateDirectories(requests);
    CreateDirectories(responses);

    UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, stopEventName));
    if (!stop || GetLastError() == ERROR_ALREADY_EXISTS)
        return Fail("another stand-in agent is running (\"TVKClientSim stop\" ends it)");
    stopEvent = stop.Get();
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);

    UniqueHandle mutex;
    if (!faults.Has(FaultKind::NoMutex))
        mutex.Reset(CreateMutexW(nullptr, FALSE, agentMutexName));
    // The old version goes where the version is, and the version found there comes back at the end.
    RegistryString savedVersion;
    REGSAM versionView = 0;
    if (faults.Has(FaultKind::OldVersion)) {
        savedVersion = ReadRegistryStringWithView(ClientKeyPath, L"Version");
        versionView = RegistryViewFlag(savedVersion.view.value_or(RegistryView::Own));
        SetString(ClientKeyPath, L"Version", L"4.1.7", versionView);
    }
    Log("running: requests in " + Narrow(requests) + ", responses in " + Narrow(responses) + ", documents under " +
        data + "\\__TVKData" + (mutex ? "" : " (without the agent mutex)"));

    StandInAgent agent(data, interval);
    std::vector<Scheduled> scheduled;
    std::uint32_t taken = 0;
    const std::wstring requestFile = requests + L"\\request.xml";
    while (WaitForSingleObject(stop.Get(), 50) == WAIT_TIMEOUT) {
        const std::uint64_t now = Now();
        agent.Advance(now);
        for (auto it = scheduled.begin(); it != scheduled.end();) {
            if (it->at <= now) {
                Publish(responses, it->document);
                Log("answered (delayed)");
                it = scheduled.erase(it);
            } else {
                ++it;
            }
        }
        if (GetFileAttributesW(requestFile.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        const std::uint32_t n = taken + 1;
        if (faults.For(FaultKind::NeverTake, n))
            continue;
        const std::optional<std::string> text = ReadWhole(requestFile);
        if (!text || !DeleteFileW(requestFile.c_str()))
            continue;  // still being put in place: next round
        taken = n;
        const std::optional<ParsedRequest> request = ParseRequest(*text);
        if (!request) {
            Log("took request #" + std::to_string(n) + ": not a request document, no answer");
            continue;
        }
        Log("took " + request->type + " request #" + std::to_string(n) +
            (request->type == "Open" ? " (" + request->url + ", \"" + request->document + "\", flags " +
                                           std::to_string(request->flags) + ")"
                                     : ""));
        std::string stale;
        const std::string answer = agent.Answer(*request, n, now, faults, &stale);
        if (!keep.empty())
            WriteWhole(keep + L"\\answer-" + std::to_wstring(n) + L".xml", answer);
        if (!agent.LastEvent().empty())
            Log(agent.LastEvent());
        if (faults.For(FaultKind::NoAnswer, n)) {
            Log("not answering (fault no-answer)");
        } else if (const Fault* late = faults.For(FaultKind::Late, n)) {
            scheduled.push_back({now + late->argument, answer});
        } else if (faults.For(FaultKind::Partial, n)) {
            WriteWhole(responses + L"\\response.xml", std::string_view(answer).substr(0, answer.size() / 2));
            scheduled.push_back({now + 1500, answer});
            Log("wrote half an answer");
        } else if (faults.For(FaultKind::StaleFirst, n)) {
            Publish(responses, stale);
            scheduled.push_back({now + 1500, answer});
            Log("wrote a stale answer of another type");
        } else {
            Publish(responses, answer);
            Log("answered " + request->type);
        }
    }
    DeleteFileW((responses + L"\\response.xml.tmp").c_str());
    if (faults.Has(FaultKind::OldVersion)) {
        if (savedVersion.text)
            SetString(ClientKeyPath, L"Version", Wide(std::string(savedVersion.text->StringView())), versionView);
        else
            DeleteValue(ClientKeyPath, L"Version", versionView);
    }
    Log("stopped");
    return 0;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: TVKClientSim install [--version V] [--request-dir DIR] [--response-dir DIR]\n"
                 "                            [--view 32|64]\n"
                 "       TVKClientSim uninstall [--view 32|64]\n"
                 "       TVKClientSim run [--data DIR] [--check-interval MS] [--keep-answers DIR]\n"
                 "                        [--fault NAME[:ARG][@N]]...\n"
                 "       TVKClientSim stop\n"
                 "faults: %s\n",
                 FaultPlan::Names().c_str());
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    Arguments args{std::vector<std::wstring>(argv, argv + argc)};
    if (argc < 2)
        return Usage();
    const std::wstring command = argv[1];
    try {
        if (command == L"install")
            return Install(args);
        if (command == L"uninstall")
            return Uninstall(args);
        if (command == L"run")
            return Run(args);
        if (command == L"stop")
            return argc == 2 ? Stop() : Usage();
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    return Usage();
}
