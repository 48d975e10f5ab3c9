#pragma once
// One compliance session per Windows session namespace: the named mutex
// "Quorlan Client Compliance Lock" is held by keeping a handle to it open.
#include "text/UniqueResource.h"

class ComplianceLock {
public:
    // True when this holder now has the lock; false when it already had it, or another
    // holder (in this process or another) has it, in which case no handle is kept.
    bool Acquire();
    // True when a handle was held and is now closed.
    bool Release();
    bool Held() const { return mutex_.Valid(); }

private:
    UniqueHandle mutex_;
};
