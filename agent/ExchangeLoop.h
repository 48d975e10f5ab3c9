#pragma once
// The stand-in agent at work: every 50 ms it advances the evaluation, publishes the
// answers whose time has come, and takes a waiting request and answers it, faults applied.
#include "agent/AgentConsole.h"
#include "agent/FaultPlan.h"
#include "agent/StandInAgent.h"
#include "text/Win32.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct RunOptions {
    std::string data = ".";        // holds __TVKData
    std::uint32_t interval = 400;  // milliseconds per check
    std::wstring keep;             // where a copy of every answer goes, if anywhere
    FaultPlan faults;
};

//   run [--data DIR] [--check-interval MS] [--keep-answers DIR] [--fault NAME[:ARG][@N]]...
// Nothing when the options are good; the exit status of the failure otherwise.
std::optional<int> ParseRunOptions(Arguments& args, RunOptions& options);

class ExchangeLoop {
public:
    ExchangeLoop(std::wstring requests, std::wstring responses, RunOptions options);

    // Until the stop event is set.
    void Run(HANDLE stop);

private:
    struct Scheduled {
        std::uint64_t at;
        std::string document;
    };

    void PublishDue(std::uint64_t now);
    void TakeRequest(std::uint64_t now);
    void Respond(const ParsedRequest& request, std::uint32_t n, std::uint64_t now);

    std::wstring requests_, responses_, requestFile_;
    RunOptions options_;
    StandInAgent agent_;
    std::vector<Scheduled> scheduled_;
    std::uint32_t taken_ = 0;
};
