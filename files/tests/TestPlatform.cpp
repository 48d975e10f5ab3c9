#include "files/tests/TestPlatform.h"

#include <cwchar>

bool RunningUnderWine()
{
    static const bool wine = [] {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

unsigned TimeScale()
{
    static const unsigned scale = [] {
        wchar_t text[16] = {};
        const DWORD n = GetEnvironmentVariableW(L"VERIMARK_TIME_SCALE", text, 16);
        if (n == 0 || n >= 16)
            return 1u;
        const unsigned long value = std::wcstoul(text, nullptr, 10);
        return value >= 1 && value <= 99 ? static_cast<unsigned>(value) : 1u;
    }();
    return scale;
}

DWORD Scaled(DWORD milliseconds)
{
    return milliseconds == INFINITE ? INFINITE : milliseconds * TimeScale();
}

double Scaled(double seconds)
{
    return seconds * TimeScale();
}
