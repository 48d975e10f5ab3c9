#pragma once
// The command line as the tool reads it, in UTF-16 as the system passed it: our long
// options wherever they stand ("--" ends them: what follows is never an option), and what
// is left, the form ("-d", "-c", "-x" and their arguments).
#include "run/ReportOutput.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ToolOptions {
    bool json = false;
    bool exitCodes = false;
    bool check = false;  // --check: look at what stands in the way of a run, run nothing
    bool quiet = false;  // no progress lines; standard error only for a run that did not complete
    std::vector<ReportOutput> outputs;  // in the order given
    std::optional<std::uint32_t> timeoutSeconds;
    std::optional<std::uint32_t> waitLockSeconds;  // --wait-lock
    bool any = false;  // an option was given: the arguments are read strictly
};

struct Arguments {
    ToolOptions options;
    std::vector<std::wstring> form;  // the program's name, then the form
    std::string error;               // UTF-8; what is wrong with an option, naming it; empty when nothing is
};

// argv[0] is the program's name.
Arguments ReadArguments(const std::vector<std::wstring>& argv);

// The flags of a "-c" or "-x" form, from its last argument when there is one (0 without):
// without options the runtime's reading of a decimal argument (white space, one sign, the
// digits up to the first other character; none gives 0), with options strictly a decimal
// number. Nothing when the value is not from 0 to 15; `error` then says why, with options.
std::optional<std::int32_t> FlagsArgument(const std::vector<std::wstring>& form, bool exportResponse,
                                          bool strict, std::string& error);

// The runtime's decimal reading of an argument.
std::int32_t DecimalArgument(const wchar_t* text);

inline constexpr std::uint32_t maximumFlags = 15;
