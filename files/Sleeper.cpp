#include "files/Sleeper.h"

#include "text/Win32.h"

#include <algorithm>

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

Sleeper::Watched Sleeper::SleepWatching(std::uint32_t milliseconds, bool stoppable, const std::function<bool()>& ended,
                                        std::uint32_t every)
{
    every = every == 0 ? milliseconds : every;
    Watched watched;
    while (watched.waited < milliseconds) {
        const std::uint32_t piece = std::min(every, milliseconds - watched.waited);
        if (stoppable) {
            watched.stopped = SleepUnlessStopped(piece);
        } else {
            Sleep(piece);
        }
        watched.waited += piece;
        if (watched.stopped || (watched.waited < milliseconds && ended()))
            break;
    }
    return watched;
}

Sleeper& CurrentSleeper() { return *current; }

ScopedSleeper::ScopedSleeper(Sleeper& sleeper) : previous_(current) { current = &sleeper; }
ScopedSleeper::~ScopedSleeper() { current = previous_; }
