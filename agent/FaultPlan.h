#pragma once
// Misbehaviour on purpose, chosen on the command line: "--fault NAME[:ARG][@N]" applies to
// the N-th request taken in this run and those after it, or to every request without @N.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class FaultKind {
    NeverTake,    // leave request.xml where it is
    NoAnswer,     // take the request, write nothing
    Late,         // answer after ARG milliseconds
    Partial,      // write half the answer now, the whole of it 1.5 s later
    StaleFirst,   // write an answer of another type now, the right one 1.5 s later
    WrongRoot,    // root element named otherwise
    NoType,       // no ResponseType
    BadNumber,    // ResponseProgressState that is not a number
    UnknownState, // ResponseProgressState 4: a number, but no state
    Error22,      // Progress answers "reports not available" (-22)
    InvalidUtf8,  // the second item's Result is not valid UTF-8
    ManyItems,    // the finished evaluation reports ARG generated items
    OldVersion,   // "Version" reads 4.1.7 while the agent runs
    NoMutex,      // run without the agent's mutex
};

struct Fault {
    FaultKind kind;
    std::uint32_t argument = 0;
    std::uint32_t fromRequest = 0;  // 0: every request
};

class FaultPlan {
public:
    // Parses one "--fault" value; returns an error message for a bad one.
    std::optional<std::string> Add(const std::string& text);
    // The fault of this kind in force for request number n (1-based), if any.
    const Fault* For(FaultKind kind, std::uint32_t request) const;
    bool Has(FaultKind kind) const { return For(kind, UINT32_MAX) != nullptr; }

    static std::string Names();

private:
    std::vector<Fault> faults_;
};
