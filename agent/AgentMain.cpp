// TVKClientSim: a stand-in for the management agent, for demos, tests and script authors.
//
//   TVKClientSim install [--version V] [--request-dir DIR] [--response-dir DIR] [--view 32|64]
//   TVKClientSim uninstall [--view 32|64]
//   TVKClientSim run [--data DIR] [--check-interval MS] [--keep-answers DIR] [--fault NAME[:ARG][@N]]...
//   TVKClientSim stop
#include "agent/AgentInstallation.h"
#include "agent/ExchangeLoop.h"
#include "compliance/Registry.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"

#include <cstdio>

namespace {

const wchar_t* const stopEventName = L"TVKClientSim.Stop";
const wchar_t* const agentMutexName = L"Global\\One Quorlan TVKClient At A Time";

HANDLE stopEvent = nullptr;

BOOL WINAPI OnConsoleControl(DWORD)
{
    SetEvent(stopEvent);
    return TRUE;
}

// While the agent runs: its mutex (unless the fault no-mutex), and for the fault
// old-version an older "Version" where the version is, put back at the end.
class Presence {
public:
    explicit Presence(const FaultPlan& faults)
    {
        if (!faults.Has(FaultKind::NoMutex))
            mutex_.Reset(CreateMutexW(nullptr, FALSE, agentMutexName));
        if (faults.Has(FaultKind::OldVersion)) {
            oldVersion_ = true;
            saved_ = ReadRegistryStringWithView(ClientKeyPath, L"Version");
            view_ = RegistryViewFlag(saved_.view.value_or(RegistryView::Own));
            SetRegistryString(ClientKeyPath, L"Version", L"4.1.7", view_);
        }
    }
    Presence(const Presence&) = delete;
    Presence& operator=(const Presence&) = delete;
    ~Presence()
    {
        if (!oldVersion_)
            return;
        if (saved_.text)
            SetRegistryString(ClientKeyPath, L"Version", Wide(saved_.text->StringView()), view_);
        else
            DeleteRegistryValue(ClientKeyPath, L"Version", view_);
    }
    bool HasMutex() const { return mutex_.Valid(); }

private:
    UniqueHandle mutex_;
    bool oldVersion_ = false;
    RegistryString saved_;
    REGSAM view_ = 0;
};

int Run(Arguments& args)
{
    RunOptions options;
    if (const std::optional<int> failed = ParseRunOptions(args, options))
        return *failed;
    const auto requestDir = ReadRegistryString(ApiKeyPath, L"RequestDir");
    const auto responseDir = ReadRegistryString(ApiKeyPath, L"ResponseDir");
    if (!requestDir || !responseDir || requestDir->Empty() || responseDir->Empty())
        return Fail("RequestDir and ResponseDir are not set: run \"TVKClientSim install\" first");
    const std::wstring requests = Wide(requestDir->StringView()), responses = Wide(responseDir->StringView());
    CreateDirectories(requests);
    CreateDirectories(responses);

    const UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, stopEventName));
    if (!stop || GetLastError() == ERROR_ALREADY_EXISTS)
        return Fail("another stand-in agent is running (\"TVKClientSim stop\" ends it)");
    stopEvent = stop.Get();
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);

    const Presence presence(options.faults);
    Log("running: requests in " + Narrow(requests) + ", responses in " + Narrow(responses) + ", documents under " +
        options.data + "\\__TVKData" + (presence.HasMutex() ? "" : " (without the agent mutex)"));
    ExchangeLoop(requests, responses, std::move(options)).Run(stop.Get());
    Log("stopped");
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
