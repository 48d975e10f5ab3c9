#pragma once
// The console tool's command line: its forms, the usage text and the exit status.
#include <cstdint>

// The whole program: matches the arguments, runs, returns the exit status.
int RunCommandLine(int argc, char** argv);

// 0 (ran), -1 (ran, a result text was not valid UTF-8), -2 (ran, the export failed) or 1
// (the flags argument was rejected: the caller prints the usage text).
int RunFromArguments(int argc, char** argv, bool exportResponse);

void PrintUsage();

// The runtime's decimal reading of an argument: white space, one sign, digits up to the
// first other byte; no digits give 0.
std::int32_t DecimalArgument(const char* text);
