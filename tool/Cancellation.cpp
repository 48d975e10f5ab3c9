#include "tool/Cancellation.h"

namespace {

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    return Cancellation::Install().Handle(event) ? TRUE : FALSE;
}

}  // namespace

Cancellation::Cancellation()
    : requested_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), finished_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

Cancellation& Cancellation::Install()
{
    static Cancellation cancellation;
    // A program started in a process group of its own has Ctrl+C turned off by the system;
    // a clean stop is what Ctrl+C should mean here, however the tool was started.
    static const bool registered = SetConsoleCtrlHandler(nullptr, FALSE) && SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    (void)registered;
    return cancellation;
}

bool Cancellation::Requested() const
{
    return WaitForSingleObject(requested_.Get(), 0) == WAIT_OBJECT_0;
}

void Cancellation::Sleep(std::uint32_t milliseconds)
{
    ::Sleep(milliseconds);
}

bool Cancellation::SleepUnlessStopped(std::uint32_t milliseconds)
{
    return WaitForSingleObject(requested_.Get(), milliseconds) == WAIT_OBJECT_0;
}

void Cancellation::Finished()
{
    SetEvent(finished_.Get());
}

bool Cancellation::Handle(unsigned long event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        SetEvent(requested_.Get());
        return true;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // The process ends when this returns (or when the system's patience ends): give
        // the run the time to send its Close and let go of the lock.
        SetEvent(requested_.Get());
        WaitForSingleObject(finished_.Get(), INFINITE);
        return true;
    default:
        return false;
    }
}
