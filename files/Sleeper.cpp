#include "files/Sleeper.h"

#include "text/Win32.h"

namespace {

class SystemSleeper final : public Sleeper {
public:
    void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

SystemSleeper systemSleeper;
Sleeper* current = &systemSleeper;

}  // namespace

std::uint64_t Sleeper::Now() { return GetTickCount64(); }

bool Sleeper::SleepUnlessStopped(std::uint32_t milliseconds)
{
    if (StopRequested())
        return true;
    Sleep(milliseconds);
    return StopRequested();
}

Sleeper& CurrentSleeper() { return *current; }

ScopedSleeper::ScopedSleeper(Sleeper& sleeper) : previous_(current) { current = &sleeper; }
ScopedSleeper::~ScopedSleeper() { current = previous_; }
