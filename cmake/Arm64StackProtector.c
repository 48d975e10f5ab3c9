// Stack protector support for ARM64 binaries, which the ARM64 toolchain's runtime lacks
// (it has no libssp): the canary that protected functions place in their frames, and what
// they call when it was overwritten. This file itself is built without the protector, since
// it changes the canary while the start-up code's frames are live.
#include <windows.h>
#include <ntsecapi.h>

#include <stdint.h>

// Until the constructor below has run this is a fixed value that still ends in a zero byte,
// so that a string copy cannot write it.
uintptr_t __stack_chk_guard = 0x2f8a5c0e9b1d7300ull;

__attribute__((constructor(101))) static void verimark_stack_guard_setup(void)
{
    uintptr_t value = 0;
    if (!RtlGenRandom(&value, sizeof value)) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        value = (uintptr_t)now.QuadPart ^ ((uintptr_t)GetCurrentProcessId() << 32) ^ (uintptr_t)&value;
    }
    __stack_chk_guard = value & ~(uintptr_t)0xff;
}

// A broken frame cannot be trusted to return or unwind: end the process at once with the
// status Windows gives a detected stack buffer overrun.
__attribute__((noreturn)) void __stack_chk_fail(void)
{
    TerminateProcess(GetCurrentProcess(), 0xC0000409u);
    for (;;)
        __builtin_trap();
}
