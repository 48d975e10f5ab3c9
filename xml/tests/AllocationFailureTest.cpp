// Every allocation of the string, format and XML layers may fail: for each operation,
// the N-th allocation is made to fail for N = 1, 2, ... until the operation gets through.
// Each failure must surface as std::bad_alloc (or complete), and leave nothing allocated.
#include "errors/ExceptionPL.h"
#include "text/Format.h"
#include "text/Numerals.h"
#include "text/StringDataReceiver.h"
#include "xml/XMLTreeParserPL.h"
#include "xml/XMLWriter.h"
#include "text/tests/FailingAllocator.h"

#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

#include <functional>
#include <new>
#include <string>

using namespace FailingAllocator;

namespace {

// Runs the operation with the N-th allocation failing, for every N it reaches.
void FailEachAllocation(const std::function<void()>& operation)
{
    operation();  // once through: one-time set-ups are done before counting
    for (long n = 1;; ++n) {
        const long before = live;
        FailAt(n);
        bool failed = false;
        try {
            operation();
        } catch (const std::bad_alloc&) {
            failed = true;
        }
        FailAt(0);
        ASSERT_EQ(live, before) << "leak when allocation " << n << " failed";
        // An operation that got through its first failing allocation allocates nothing:
        // the sweep would prove nothing of it (as expat's tests say).
        ASSERT_TRUE(failed || n > 1) << "the operation allocates nothing: a sweep over it proves nothing";
        if (!failed)
            return;  // got through: every allocation it makes has been failed once
        ASSERT_LT(n, 100000);
    }
}


TEST(AllocationFailure, StringsAndFormat)
{
    const std::string long1(100, 'a'), long2(200, 'b');
    FailEachAllocation([&] {
        CopiedU8String s{U8String(std::string_view(long1))};
        s.Append(std::string_view(long2));
        s.Append(s.View());
        CopiedU8String message = Format("{a} on \"{p}\" : {e}{_crlf}", std::string_view(long1), s, FormatHex32(5, 1));
        EXPECT_GT(message.Length(), 600u);
    });
}

TEST(AllocationFailure, ExceptionTextsFallBackInsteadOfThrowing)
{
    const std::string message(300, 'm');
    ReadableTypeName(typeid(ExceptionPL));  // the process-wide name cache, filled once
    FailEachAllocation([&] {
        const ExceptionPL e{U8String(std::string_view(message))};
        // what() may not throw: without memory it gives the class name.
        const std::string text = e.what();
        EXPECT_TRUE(text == message || text == "ExceptionPL");
    });
}

TEST(AllocationFailure, ParserAndTree)
{
    const std::string document =
        "<?xml version=\"1.0\"?><R a=\"1\" b='two words'><Item><Name>a name longer than fifteen</Name>"
        "<Text>x&lt;y &#xc3;&#xa9; and more text</Text></Item><Item/><![CDATA[raw <text>]]><!-- c --></R>"
        "<S><p>second root</p></S>";
    FailEachAllocation([&] {
        XMLTreeParserPL parser;
        for (std::size_t at = 0; at < document.size(); at += 7)
            parser.Feed(document.data() + at, document.data() + std::min(document.size(), at + 7));
        ASSERT_TRUE(parser.Root());
        XMLElementPL copy = *parser.Root();
        EXPECT_EQ(copy.TrimChildren().size(), 1u);
    });
}

TEST(AllocationFailure, Writer)
{
    FailEachAllocation([&] {
        StringDataReceiver sink;
        const std::string_view crlf = "\r\n";
        LineFlattener lines(crlf.data(), crlf.data() + 2, sink);
        XMLWriter writer(lines, 0);
        XMLAttributeList attributes;
        attributes.Add({CopiedU8String("Version"), CopiedU8String("1.0")});
        writer.StartDocument("TVKVerimarkRequest", &attributes);
        writer.StartElement("RequestURL", nullptr);
        writer.Text(std::string_view(std::string(120, 'u')));
        writer.EndElement();
        try {
            writer.StartElement("bad name", nullptr);
        } catch (const InvalidXMLElementName&) {
        }
        writer.EndDocument();
    });
}

// The sweep itself fails for an operation that allocates nothing.
TEST(AllocationFailure, ASweepOverNoAllocationIsAFailure)
{
    EXPECT_FATAL_FAILURE(FailEachAllocation([] { volatile int nothing = 0; (void)nothing; }),
                         "the operation allocates nothing");
}

}  // namespace
