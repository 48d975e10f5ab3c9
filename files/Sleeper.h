#pragma once
// Every wait of the system goes through here, and every deadline is measured on its clock,
// so tests can run the waits, and the time limits over them, in virtual time.
#include <cstdint>
#include <functional>

class Sleeper {
public:
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // Milliseconds on a steady clock (the system's tick count unless a test keeps its own).
    virtual std::uint64_t Now();
    // A wait that a request to stop cuts short: true when one came (or had come). Without
    // such requests it is Sleep.
    virtual bool SleepUnlessStopped(std::uint32_t milliseconds);
    virtual bool StopRequested() { return false; }
    // How a watched wait ended: the milliseconds it waited (as asked for, piece by piece, not
    // as a clock measured them), and whether a request to stop ended it.
    struct Watched {
        std::uint32_t waited = 0;
        bool stopped = false;
    };
    // A wait like SleepUnlessStopped (Sleep when not `stoppable`) that also ends, within
    // `every` milliseconds, once `ended` says so; `ended` is not asked at the wait's end.
    // A test's clock may take it as one pause.
    virtual Watched SleepWatching(std::uint32_t milliseconds, bool stoppable, const std::function<bool()>& ended,
                                  std::uint32_t every);

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
