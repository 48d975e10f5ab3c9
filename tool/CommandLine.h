#pragma once
// The console tool's command line: its forms, the usage text and the exit status.
#include "tool/RunAndList.h"

#include <string>
#include <vector>

// The whole program: reads the arguments (argv[0] is the program's name), runs, presents
// the report, returns the exit status.
int RunCommandLine(const std::vector<std::wstring>& argv);

// A "-c" (four or five arguments with the name) or "-x" (five or six) form: 0 (ran), -1
// (ran, a result text was not valid UTF-8), -2 (ran, the export failed) or 1 (the flags
// argument was rejected: the caller prints the usage text; `error` says why when the
// arguments are read strictly). The report, when asked for, in `report`.
int RunFromArguments(const std::vector<std::wstring>& form, bool exportResponse, const RunSettings& settings,
                     bool strict, std::string& error, RunReport* report);

void PrintUsage();
