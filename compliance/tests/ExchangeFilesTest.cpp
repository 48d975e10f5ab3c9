#include "compliance/Registry.h"
#include "compliance/RequestFile.h"
#include "compliance/ResponseFile.h"
#include "compliance/tests/MachineState.h"
#include "files/FileIOError.h"
#include "text/Numerals.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ExchangeFiles : public AgentEnvironment {
};

TEST_F(ExchangeFiles, NewRequestReplacesAWaitingOne)
{
    WriteRaw(requestFile_, "<old/>");
    SetAttributesOf(requestFile_, FILE_ATTRIBUTE_READONLY);
    ComplianceRequest request;
    request.kind = ComplianceRequestType::Close;
    WriteRequestFile(request);
    EXPECT_EQ(*PendingRequest(), "<?xml version=\"1.0\"?>\r\n<TVKVerimarkRequest Version=\"1.0\">\r\n"
                                 "\t<RequestType>Close</RequestType>\r\n</TVKVerimarkRequest>");
    EXPECT_TRUE(IsRequestPending());
    EXPECT_EQ(FileLocation::Child(requestDir_, "requestTemp.xml").Attributes(), INVALID_FILE_ATTRIBUTES);
}

// The move of a complete request fails through its whole retry schedule and then works at
// the one further try: the request is in place, the agent will act on it, so it is no failure.
TEST_F(ExchangeFiles, RequestPutInPlaceAtTheFurtherTryIsWritten)
{
    // A folder with something in it at "request.xml": no file can replace it.
    ASSERT_TRUE(CreateDirectoryW(Wide(requestFile_).c_str(), nullptr));
    const FileLocation inside = FileLocation::Child(requestFile_, "inside");
    WriteRaw(inside, "x");
    ScriptedAgent clock;
    for (int pause = 1; pause <= 8; ++pause)  // the first schedule's pauses
        clock.Then(nullptr);
    clock.Then([&] {
        DeleteFileW(Wide(inside).c_str());
        RemoveDirectoryW(Wide(requestFile_).c_str());
    });
    ComplianceRequest request;
    request.kind = ComplianceRequestType::Progress;
    EXPECT_NO_THROW(WriteRequestFile(request));
    EXPECT_EQ(clock.pauses.size(), 9u);
    EXPECT_NE(PendingRequest()->find("<RequestType>Progress</RequestType>"), std::string::npos);
}

TEST_F(ExchangeFiles, LargeResponseStreamsThroughTheReader)
{
    std::string body;
    for (int i = 0; i < 100000; ++i) {
        body += "\t<ResponseItem>\r\n\t\t<Designator>item-";
        body += std::to_string(i);
        body += "</Designator>\r\n\t\t<Result>True</Result>\r\n\t\t<Comment>seen &lt;";
        body += std::to_string(i * 3);
        body += "&gt;</Comment>\r\n\t</ResponseItem>\r\n";
    }
    Answer(ProgressResponse(1, body));
    const ComplianceResponse response = ReadResponseFile();
    ASSERT_EQ(response.items.size(), 100000u);
    EXPECT_EQ(response.items[0].designator.StringView(), "item-0");
    EXPECT_EQ(response.items[99999].designator.StringView(), "item-99999");
    EXPECT_EQ(response.items[99999].comment.StringView(), "seen <299997>");
    EXPECT_EQ(response.items[5].result.StringView(), "True");
    EXPECT_TRUE(response.items[5].description.Empty());
}

TEST_F(ExchangeFiles, ReadFailuresByKind)
{
    EXPECT_THROW(ReadResponseFile(), FileNotFoundError);
    const std::string whole = ProgressResponse(3);
    Answer(whole.substr(0, whole.size() - 5));
    EXPECT_THROW(ReadResponseFile(), VerimarkResponseReadFailure);
    Answer("");
    EXPECT_THROW(ReadResponseFile(), VerimarkResponseReadFailure);
    Answer("<Other><ResponseType>Progress</ResponseType></Other>");
    EXPECT_THROW(ReadResponseFile(), VerimarkResponseBadDocumentType);
    Answer("<TVKVerimarkResponse><ResponseType>progress</ResponseType></TVKVerimarkResponse>");
    EXPECT_THROW(ReadResponseFile(), VerimarkResponseTypeFailure);
    Answer(ProgressResponse(3, "<ResponseProgressPercent> 50</ResponseProgressPercent>"));
    EXPECT_THROW(ReadResponseFile(), NotANumeral);
    registry_.Remove(ApiKeyPath, L"ResponseDir");
    EXPECT_THROW(ReadResponseFile(), EmptyFileLocationError);
}

}  // namespace
