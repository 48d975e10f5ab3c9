#include "agent/AgentConsole.h"

#include "text/Win32.h"

#include <cstdio>

void Log(const std::string& line)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    std::printf("%04u-%02u-%02u %02u:%02u:%02u.%03u %s\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                t.wMilliseconds, line.c_str());
    std::fflush(stdout);
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "TVKClientSim: %s\n", message.c_str());
    return 1;
}
