#pragma once
// Ctrl+C, Ctrl+Break and the console closing, as a request to stop: the run stops polling,
// closes its session and ends. The system calls the handler on a thread of its own; all
// the handler does is say so, and, when the console is closing, wait until the run has
// cleaned up, since the process ends when the handler returns.
//
// It is the tool's sleeper (files/Sleeper.h): the run's waits and the session's end early
// when a stop is requested.
#include "files/Sleeper.h"
#include "text/UniqueResource.h"

#include <cstdint>

class Cancellation final : public Sleeper {
public:
    // The process's one, with its handler registered.
    static Cancellation& Install();

    bool Requested() const;
    void Sleep(std::uint32_t milliseconds) override;
    // Waits up to `milliseconds` or until a stop is requested; true when one was.
    bool SleepUnlessStopped(std::uint32_t milliseconds) override;
    bool StopRequested() override { return Requested(); }
    // The run has cleaned up: a handler waiting for that may return now.
    void Finished();

    // What the handler does, for the handler.
    bool Handle(unsigned long event);

private:
    Cancellation();

    UniqueHandle requested_;
    UniqueHandle finished_;
};
