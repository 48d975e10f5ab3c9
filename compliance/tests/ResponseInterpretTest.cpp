// The rules a response document is read by, held by both readers: the element tree with
// InterpretResponse, and the streaming reader, fed whole and in pieces of every size.
#include "compliance/ResponseInterpretation.h"
#include "compliance/ResponseReader.h"
#include "text/Numerals.h"
#include "xml/XMLTreeParserPL.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// 0: the tree; n > 0: the streaming reader in pieces of n bytes.
class ResponseInterpretation : public ::testing::TestWithParam<std::size_t> {
protected:
    ComplianceResponse Interpret(std::string_view document) const
    {
        if (GetParam() == 0) {
            XMLTreeParserPL parser;
            parser.Feed(document.data(), document.data() + document.size());
            if (!parser.Root() || parser.OpenElementCount() != 0)
                throw VerimarkResponseReadFailure();  // as the reader of the files judged it
            return InterpretResponse(parser);
        }
        ResponseReader reader;
        for (std::size_t at = 0; at < document.size(); at += GetParam())
            reader.Feed(document.data() + at, document.data() + std::min(document.size(), at + GetParam()));
        return reader.Finish();
    }
};

INSTANTIATE_TEST_SUITE_P(TreeAndStream, ResponseInterpretation, ::testing::Values(0, 1, 2, 3, 7, 64, 65568));

std::string Wrap(std::string_view body) { return "<TVKVerimarkResponse>" + std::string(body) + "</TVKVerimarkResponse>"; }

TEST_P(ResponseInterpretation, TypeOnlyGivesTheDefaults)
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

TEST_P(ResponseInterpretation, TypeMustBeExact)
{
    EXPECT_THROW(Interpret(Wrap("<ResponseType>progress</ResponseType>")), VerimarkResponseTypeFailure);
    EXPECT_THROW(Interpret(Wrap("")), VerimarkResponseTypeFailure);
    EXPECT_THROW(Interpret("<TVKVerimarkResponse/>"), VerimarkResponseTypeFailure);
    EXPECT_THROW(Interpret("<tvkverimarkresponse><ResponseType>Open</ResponseType></tvkverimarkresponse>"),
                 VerimarkResponseBadDocumentType);
}

TEST_P(ResponseInterpretation, NumbersAreStrictDecimals)
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

TEST_P(ResponseInterpretation, ItemsKeepOrderAndMissingTextsStayEmpty)
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

// A second top-level element takes the first one's place; text and elements of no interest,
// attributes, comments, CDATA and nesting change nothing else; an unfinished document is no
// answer yet.
TEST_P(ResponseInterpretation, OnlyTheLastRootAndItsOwnChildrenCount)
{
    const ComplianceResponse r = Interpret(
        "<TVKVerimarkResponse><ResponseType>Open</ResponseType><ResponseItem><Result>old</Result></ResponseItem>"
        "<ResponseProgressState>x</ResponseProgressState></TVKVerimarkResponse>ignored"
        "<TVKVerimarkResponse a='<x>'><!-- <ResponseType>Close</ResponseType> -->"
        "<ResponseType>Pro<b>x</b>gress</ResponseType><ResponseProgressPercent>4<i>9</i>2</ResponseProgressPercent>"
        "<Wrap><ResponseItem><Result>nested</Result></ResponseItem></Wrap>"
        "<ResponseItem b=\"1\"><Result>a<![CDATA[<&>]]>&amp;&#x41;<deep><Result>no</Result></deep>z</Result></ResponseItem>"
        "</TVKVerimarkResponse>");
    EXPECT_EQ(r.kind, ComplianceRequestType::Progress);
    EXPECT_EQ(r.progressState, 2);
    EXPECT_EQ(r.progressPercent, 42);
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(r.items[0].result.StringView(), "a<&>&Az");
    EXPECT_THROW(Interpret("<TVKVerimarkResponse><ResponseType>Open</ResponseType>"), VerimarkResponseReadFailure);
    EXPECT_THROW(Interpret("just text"), VerimarkResponseReadFailure);
    // The first malformed number in document order is the failure, before a missing type.
    EXPECT_THROW(Interpret(Wrap("<ResponseProgressState>99999999999</ResponseProgressState>"
                                "<ResponseProgressError>-</ResponseProgressError>")),
                 NumeralTooLarge);
}

TEST_P(ResponseInterpretation, EmptyCommentDoesNotEndTheItem)
{
    const ComplianceResponse r = Interpret(Wrap(
        "<ResponseType>Progress</ResponseType><ResponseItem><Comment/><Designator>a</Designator></ResponseItem>"
        "<ResponseItem><Designator>b</Designator></ResponseItem>"));
    ASSERT_EQ(r.items.size(), 2u);
    EXPECT_EQ(r.items[0].designator.StringView(), "a");
    EXPECT_EQ(r.items[1].designator.StringView(), "b");
}

}  // namespace
