#pragma once
// Ctrl+C, Ctrl+Break and the console closing, as a request to stop: the run stops polling,
// closes its session and ends. The system calls the handler on a thread of its own; all
// the handler does is say so, and, when the console is closing, wait until the run has
// cleaned up, since the process ends when the handler returns.
#include "text/UniqueResource.h"

#include <cstdint>

class Cancellation {
public:
    // The process's one, with its handler registered.
    static Cancellation& Install();

    bool Requested() const;
    // Waits up to `milliseconds` or until a stop is requested; true when one was.
    bool Wait(std::uint32_t milliseconds) const;
    // The run has cleaned up: a handler waiting for that may return now.
    void Finished();

    // What the handler does, for the handler.
    bool Handle(unsigned long event);

private:
    Cancellation();

    UniqueHandle requested_;
    UniqueHandle finished_;
};
