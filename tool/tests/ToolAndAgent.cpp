#include "tool/tests/ToolAndAgent.h"

std::wstring Verimark() { return ProgramPath(L"tool/Verimark.exe"); }
std::wstring Agent() { return ProgramPath(L"agent/TVKClientSim.exe"); }

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

void ToolAndAgent::SetUp()
{
    AgentEnvironment::SetUp();
    StopAgent();  // the agent process holds the mutex, not this test
}

std::unique_ptr<BackgroundProgram> ToolAndAgent::StartAgent(std::vector<std::wstring> faults, std::wstring data,
                                                            std::wstring interval)
{
    answers_ = scratch_ / "answers";
    CreateDirectoryW(Wide(answers_).c_str(), nullptr);
    std::vector<std::wstring> args{L"run", L"--data", data, L"--check-interval", interval, L"--keep-answers",
                                   Wide(answers_)};
    for (const std::wstring& fault : faults) {
        args.push_back(L"--fault");
        args.push_back(fault);
    }
    auto agent = std::make_unique<BackgroundProgram>(Agent(), args);
    EXPECT_TRUE(agent->WaitForOutput("running:")) << agent->Output();
    return agent;
}

std::string ToolAndAgent::AnswerNumber(int n)
{
    const std::string name = "answer-" + std::to_string(n) + ".xml";
    return ReadWholeFile(FileLocation::Child(answers_, std::string_view(name)));
}
