#include "compliance/ResponseInterpretation.h"
#include "text/Numerals.h"
#include "xml/XMLTreeParserPL.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ComplianceResponse Interpret(std::string_view document)
{
    XMLTreeParserPL parser;
    parser.Feed(document.data(), document.data() + document.size());
    return InterpretResponse(parser);
}

std::string Wrap(std::string_view body) { return "<TVKVerimarkResponse>" + std::string(body) + "</TVKVerimarkResponse>"; }

TEST(ResponseInterpretation, TypeOnlyGivesTheDefaults)
{
    const ComplianceResponse r = Interpret(Wrap("<ResponseType>Progress</ResponseType>"));
    EXPECT_EQ(r.kind, ComplianceRequestType::Progress);
    EXPECT_EQ(r.progressState, 2);
    EXPECT_EQ(r.progressError, 0);
    EXPECT_EQ(r.progressPercent, 0);
    EXPECT_TRUE(r.items.empty());
    EXPECT_EQ(Interpret(Wrap("<ResponseType>Close</ResponseType><ResponseType>bogus</ResponseType>")).kind,
              ComplianceRequestType::Close);
}

TEST(ResponseInterpretation, TypeMustBeExact)
{
    EXPECT_THROW(Interpret(Wrap("<ResponseType>progress</ResponseType>")), VerimarkResponseTypeFailure);
    EXPECT_THROW(Interpret(Wrap("")), VerimarkResponseTypeFailure);
    EXPECT_THROW(Interpret("<TVKVerimarkResponse/>"), VerimarkResponseTypeFailure);
    EXPECT_THROW(Interpret("<tvkverimarkresponse><ResponseType>Open</ResponseType></tvkverimarkresponse>"),
                 VerimarkResponseBadDocumentType);
}

TEST(ResponseInterpretation, NumbersAreStrictDecimals)
{
    const std::string type = "<ResponseType>Progress</ResponseType>";
    EXPECT_EQ(Interpret(Wrap(type + "<ResponseProgressPercent>+50</ResponseProgressPercent>")).progressPercent, 50);
    EXPECT_EQ(Interpret(Wrap(type + "<ResponseProgressError>-22</ResponseProgressError>")).progressError, -22);
    EXPECT_THROW(Interpret(Wrap(type + "<ResponseProgressPercent> 50</ResponseProgressPercent>")), NotANumeral);
    EXPECT_THROW(Interpret(Wrap(type + "<ResponseProgressPercent></ResponseProgressPercent>")), NotANumeral);
    EXPECT_THROW(Interpret(Wrap(type + "<ResponseProgressState>2147483648</ResponseProgressState>")), NumeralTooLarge);
    // A later occurrence overwrites an earlier one.
    EXPECT_EQ(Interpret(Wrap(type + "<ResponseProgressState>3</ResponseProgressState>"
                                    "<ResponseProgressState>1</ResponseProgressState>"))
                  .progressState,
              1);
}

TEST(ResponseInterpretation, ItemsKeepOrderAndMissingTextsStayEmpty)
{
    const ComplianceResponse r = Interpret(Wrap(
        "<ResponseType>Progress</ResponseType>"
        "<ResponseItem><Designator>a</Designator><Unknown>x</Unknown><Comment>c</Comment></ResponseItem>"
        "<Other/>"
        "<ResponseItem><Result>r1</Result><Result>r2</Result><Description/><EvaluationTime>7</EvaluationTime>"
        "<ResultType>t</ResultType></ResponseItem>"));
    ASSERT_EQ(r.items.size(), 2u);
    EXPECT_EQ(r.items[0].designator.StringView(), "a");
    EXPECT_TRUE(r.items[0].result.Empty());
    EXPECT_TRUE(r.items[0].resultType.Empty());
    EXPECT_TRUE(r.items[0].evaluationTime.Empty());
    EXPECT_TRUE(r.items[0].description.Empty());
    EXPECT_EQ(r.items[0].comment.StringView(), "c");
    EXPECT_EQ(r.items[1].result.StringView(), "r2");
    EXPECT_EQ(r.items[1].evaluationTime.StringView(), "7");
    EXPECT_EQ(r.items[1].resultType.StringView(), "t");
}

TEST(ResponseInterpretation, EmptyCommentDoesNotEndTheItem)
{
    const ComplianceResponse r = Interpret(Wrap(
        "<ResponseType>Progress</ResponseType><ResponseItem><Comment/><Designator>a</Designator></ResponseItem>"
        "<ResponseItem><Designator>b</Designator></ResponseItem>"));
    ASSERT_EQ(r.items.size(), 2u);
    EXPECT_EQ(r.items[0].designator.StringView(), "a");
    EXPECT_EQ(r.items[1].designator.StringView(), "b");
}

}  // namespace
