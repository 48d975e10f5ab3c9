#pragma once
// One compliance session per Windows session namespace: the named mutex
// "Quorlan Client Compliance Lock" is held by keeping a handle to it open.
namespace ComplianceLock {

// True when this process now holds the lock; false when it already did, or another
// process does (no handle is kept then).
bool Acquire();
// True when a handle was held and is now closed.
bool Release();
// Whether this process holds the lock.
bool Held();

}  // namespace ComplianceLock
