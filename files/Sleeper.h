#pragma once
// Every wait of the system goes through here, so tests can run the waits in virtual time.
#include <cstdint>

class Sleeper {
public:
    virtual void Sleep(std::uint32_t milliseconds) = 0;

protected:
    ~Sleeper() = default;
};

// The Sleeper in force: the system's Sleep unless a test has put another in place.
Sleeper& CurrentSleeper();
inline void Pause(std::uint32_t milliseconds) { CurrentSleeper().Sleep(milliseconds); }

// Puts a sleeper in place for its own lifetime. Not for use while another thread waits.
class ScopedSleeper {
public:
    explicit ScopedSleeper(Sleeper& sleeper);
    ScopedSleeper(const ScopedSleeper&) = delete;
    ScopedSleeper& operator=(const ScopedSleeper&) = delete;
    ~ScopedSleeper();

private:
    Sleeper* previous_;
};
