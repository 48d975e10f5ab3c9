#include "compliance/RequestFile.h"
#include "text/StringDataReceiver.h"

#include <gtest/gtest.h>

#include <string>

namespace {


std::string Document(const ComplianceRequest& request)
{
    StringDataReceiver sink;
    const std::string_view crlf = "\r\n";
    LineFlattener lines(crlf.data(), crlf.data() + 2, sink);
    WriteRequestDocument(request, lines);
    return sink.bytes;
}

TEST(RequestDocument, OpenCarriesUrlDocumentAndUnsignedFlags)
{
    ComplianceRequest open;
    open.kind = ComplianceRequestType::Open;
    open.url = CompactText(U8String("http://a/b?x=1&y=<2>"));
    open.document = CompactText(U8String("Caf\xC3\xA9"));
    open.flags = -1;
    EXPECT_EQ(Document(open), "<?xml version=\"1.0\"?>\r\n<TVKVerimarkRequest Version=\"1.0\">\r\n"
                              "\t<RequestType>Open</RequestType>\r\n"
                              "\t<RequestURL>http://a/b?x=1&amp;y=&lt;2&gt;</RequestURL>\r\n"
                              "\t<RequestDOC>Caf&#xc3;&#xa9;</RequestDOC>\r\n"
                              "\t<RequestFlags>4294967295</RequestFlags>\r\n</TVKVerimarkRequest>");
    open.url = CompactText();
    open.document = CompactText();
    open.flags = 0;
    EXPECT_NE(Document(open).find("\t<RequestURL></RequestURL>\r\n\t<RequestDOC></RequestDOC>\r\n"
                                  "\t<RequestFlags>0</RequestFlags>"),
              std::string::npos);
}

TEST(RequestDocument, CloseAndProgressHaveOnlyTheirType)
{
    ComplianceRequest request;
    request.kind = ComplianceRequestType::Progress;
    request.url = CompactText(U8String("ignored"));
    EXPECT_EQ(Document(request), "<?xml version=\"1.0\"?>\r\n<TVKVerimarkRequest Version=\"1.0\">\r\n"
                                 "\t<RequestType>Progress</RequestType>\r\n</TVKVerimarkRequest>");
}

}  // namespace
