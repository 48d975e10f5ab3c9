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

bool Sleeper::SleepWatching(std::uint32_t milliseconds, bool stoppable, const std::function<bool()>& ended,
                            std::uint32_t every)
{
    every = every == 0 ? milliseconds : every;
    for (std::uint32_t left = milliseconds; left != 0;) {
        const std::uint32_t piece = left < every ? left : every;
        if (stoppable) {
            if (SleepUnlessStopped(piece))
                return true;
        } else {
            Sleep(piece);
        }
        left -= piece;
        if (left != 0 && ended())
            break;
    }
    return false;
}

Sleeper& CurrentSleeper() { return *current; }

ScopedSleeper::ScopedSleeper(Sleeper& sleeper) : previous_(current) { current = &sleeper; }
ScopedSleeper::~ScopedSleeper() { current = previous_; }
