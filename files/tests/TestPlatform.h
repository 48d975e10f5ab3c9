#pragma once
#include "text/Win32.h"

// What the tests know of the platform they run on, told once.

// Whether they run under Wine rather than Windows: where the two give different, each
// exact, answers, a test pins the one of the platform it runs on.
bool RunningUnderWine();

// How much slower than a native run real time passes for them: VERIMARK_TIME_SCALE, a
// whole number the build sets for the emulated suites (1 elsewhere). Every real-time
// limit of a test (how long it waits for a process, an event, an output) is scaled by it;
// what a test measures as a minimum is not.
unsigned TimeScale();
DWORD Scaled(DWORD milliseconds);
double Scaled(double seconds);
