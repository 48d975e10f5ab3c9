#pragma once
#include "com/Module.h"

#include <mutex>

// The session is one per process, but the objects live in apartments, and two apartments
// may call at once: one lock serialises every call into the session from this layer, so
// that a Close in one cannot free the items another is reading.
//
// A successful Open also holds the module lock until the session is closed: a client may
// release every object mid-session, and unloading the library then would close the
// cross-process lock and leave the agent without its Close.
class SessionGate {
public:
    static std::unique_lock<std::mutex> Enter() { return std::unique_lock(Mutex()); }
    // Under the gate: after a successful Open, and after any Close.
    static void Opened()
    {
        if (!holdsModule_) {
            Module::Lock();
            holdsModule_ = true;
        }
    }
    static void Closed()
    {
        if (holdsModule_) {
            holdsModule_ = false;
            Module::Unlock();
        }
    }

private:
    static std::mutex& Mutex()
    {
        static std::mutex mutex;
        return mutex;
    }
    static inline bool holdsModule_ = false;
};
