#include "agent/StandInAgent.h"
#include "compliance/ResponseFile.h"
#include "xml/XMLTreeParserPL.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The sample site shipped with the agent.
std::string SampleData() { return VERIMARK_SAMPLE_DATA; }

ComplianceResponse Read(const std::string& document)
{
    XMLTreeParserPL parser;
    parser.Feed(document.data(), document.data() + document.size());
    EXPECT_TRUE(parser.Root());
    EXPECT_EQ(parser.OpenElementCount(), 0u);
    return InterpretResponse(parser);
}

ParsedRequest Open(std::string document, std::uint32_t flags = 0)
{
    return {"Open", "http://server:52311/cgi-bin/bfgather.exe/actionsite", std::move(document), flags};
}

const ParsedRequest progress{"Progress", "", "", 0};

TEST(StandInAgent, RequestDocumentsAreRead)
{
    const auto request = ParseRequest("<?xml version=\"1.0\"?>\r\n<TVKVerimarkRequest Version=\"1.0\">\r\n"
                                      "\t<RequestType>Open</RequestType>\r\n\t<RequestURL>u&amp;v</RequestURL>\r\n"
                                      "\t<RequestDOC>Caf&#xc3;&#xa9;</RequestDOC>\r\n\t<RequestFlags>4294967295</RequestFlags>\r\n"
                                      "</TVKVerimarkRequest>");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->type, "Open");
    EXPECT_EQ(request->url, "u&v");
    EXPECT_EQ(request->document, "Caf\xC3\xA9");
    EXPECT_EQ(request->flags, 4294967295u);
    EXPECT_FALSE(ParseRequest("<TVKVerimarkRequest><RequestType>Open"));
}

TEST(StandInAgent, EvaluatesTheSampleDocumentOverTime)
{
    StandInAgent agent(SampleData(), 100);
    FaultPlan none;
    const ComplianceResponse opened = Read(agent.Answer(Open("Workstation Baseline"), 1, 0, none));
    EXPECT_EQ(opened.kind, ComplianceRequestType::Open);
    EXPECT_EQ(Read(agent.Answer(progress, 2, 50, none)).progressPercent, 0);
    agent.Advance(100);
    agent.Advance(150);  // not yet due
    const ComplianceResponse running = Read(agent.Answer(progress, 3, 150, none));
    EXPECT_EQ(running.progressState, 3);
    EXPECT_EQ(running.progressPercent, 12);  // one of eight checks
    for (std::uint64_t t = 200; t <= 900; t += 100)
        agent.Advance(t);
    const ComplianceResponse done = Read(agent.Answer(progress, 4, 900, none));
    EXPECT_EQ(done.progressState, 1);
    ASSERT_EQ(done.items.size(), 8u);
    EXPECT_EQ(done.items[0].designator.StringView(), "os-family");
    EXPECT_EQ(done.items[6].description.StringView(), "The legacy policy file is present & recent");
    EXPECT_EQ(done.items[6].result.StringView(), "False");
    EXPECT_FALSE(done.items[0].evaluationTime.Empty());
    EXPECT_EQ(Read(agent.Answer({"Close", "", "", 0}, 5, 900, none)).kind, ComplianceRequestType::Close);
    EXPECT_EQ(Read(agent.Answer(progress, 6, 900, none)).progressError, AgentError::NoEvaluation);
}

TEST(StandInAgent, ActionHintFindsTheDocumentById)
{
    StandInAgent agent(SampleData(), 0);
    FaultPlan none;
    agent.Answer(Open("baseline-1", 8), 1, 0, none);
    agent.Advance(1);
    EXPECT_EQ(Read(agent.Answer(progress, 2, 1, none)).progressState, 3);
    agent.Answer(Open("baseline-1", 0), 3, 0, none);
    EXPECT_EQ(Read(agent.Answer(progress, 4, 1, none)).progressError, AgentError::DocumentNotFound);
    agent.Answer(Open("..\\..\\secrets"), 5, 0, none);
    EXPECT_EQ(Read(agent.Answer(progress, 6, 1, none)).progressError, AgentError::BadName);
}

TEST(StandInAgent, ContentFaultsApplyFromTheirRequestNumberOn)
{
    FaultPlan faults;
    ASSERT_FALSE(faults.Add("error-22@2"));
    ASSERT_FALSE(faults.Add("wrong-root@3"));
    StandInAgent agent(SampleData(), 0);
    agent.Answer(Open("Workstation Baseline"), 1, 0, faults);
    const ComplianceResponse unavailable = Read(agent.Answer(progress, 2, 0, faults));
    EXPECT_EQ(unavailable.progressState, 2);
    EXPECT_EQ(unavailable.progressError, -22);
    const std::string wrong = agent.Answer(progress, 3, 0, faults);
    EXPECT_THROW(Read(wrong), VerimarkResponseBadDocumentType);

    FaultPlan more;
    ASSERT_FALSE(more.Add("no-type"));
    EXPECT_THROW(Read(StandInAgent(SampleData(), 0).Answer(progress, 1, 0, more)), VerimarkResponseTypeFailure);
    FaultPlan many;
    ASSERT_FALSE(many.Add("many-items:1000"));
    StandInAgent big(SampleData(), 0);
    big.Answer(Open("Workstation Baseline"), 1, 0, many);
    for (int i = 0; i < 8; ++i)
        big.Advance(static_cast<std::uint64_t>(i) + 1);
    EXPECT_EQ(Read(big.Answer(progress, 2, 10, many)).items.size(), 1000u);
}

TEST(FaultPlan, ParsesNamesArgumentsAndRequestNumbers)
{
    FaultPlan plan;
    EXPECT_FALSE(plan.Add("late:2500@3"));
    EXPECT_FALSE(plan.For(FaultKind::Late, 2));
    ASSERT_TRUE(plan.For(FaultKind::Late, 3));
    EXPECT_EQ(plan.For(FaultKind::Late, 4)->argument, 2500u);
    EXPECT_TRUE(plan.Add("late"));
    EXPECT_TRUE(plan.Add("partial:3"));
    EXPECT_TRUE(plan.Add("bogus"));
    EXPECT_TRUE(plan.Add("partial@0"));
    EXPECT_TRUE(plan.Add("many-items:x"));
}

}  // namespace
