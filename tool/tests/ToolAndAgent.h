#pragma once
// The console tool against the stand-in agent, both as real processes, in real time: the
// machine state of AgentEnvironment, with the agent's mutex held by the agent's process.
#include "compliance/tests/MachineState.h"
#include "tool/tests/ProcessRunner.h"

#include <memory>
#include <string>
#include <vector>

inline const std::wstring url = L"http://myserver:52311/cgi-bin/tvkgather.exe/actionsite";

std::wstring Verimark();
std::wstring Agent();
std::size_t Count(const std::string& text, const std::string& what);

class ToolAndAgent : public AgentEnvironment {
protected:
    void SetUp() override;
    // Runs the agent with the sample site (or `data`) and a check every `interval` ms.
    std::unique_ptr<BackgroundProgram> StartAgent(std::vector<std::wstring> faults = {},
                                                  std::wstring data = L"" VERIMARK_SAMPLE_DATA,
                                                  std::wstring interval = L"250");
    Finished RunTool(std::vector<std::wstring> arguments) { return RunProgram(Verimark(), arguments); }
    // The n-th answer the agent gave, as it kept it.
    std::string AnswerNumber(int n);

    FileLocation answers_;
};
