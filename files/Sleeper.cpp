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

Sleeper& CurrentSleeper() { return *current; }

ScopedSleeper::ScopedSleeper(Sleeper& sleeper) : previous_(current) { current = &sleeper; }
ScopedSleeper::~ScopedSleeper() { current = previous_; }
