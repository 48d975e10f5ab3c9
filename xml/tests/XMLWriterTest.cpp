#include "xml/XMLWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the writer's output with "|" for each line end and counts Text calls.
class RecordingLines final : public LineReceiver {
public:
    void Begin(Word, Word) override { out += "[begin]"; }
    void Text(const char* first, const char* last) override
    {
        out.append(first, last);
        ++textCalls;
        EXPECT_NE(first, last) << "empty run passed to the sink";
    }
    void EndLine(Word, Word, Word, Word) override { out += "|"; }
    void End(Word, Word) override { out += "[end]"; }
    std::string out;
    int textCalls = 0;
};

void AddAttribute(XMLAttributeList& list, const char* name, std::string_view value)
{
    list.Add({CopiedU8String(name), CopiedU8String(value)});
}

TEST(XMLWriter, TabLayoutPutsChildrenOnTheirOwnLines)
{
    RecordingLines lines;
    XMLWriter writer(lines, 0);
    XMLAttributeList attributes;
    AddAttribute(attributes, "Version", "1.0");
    writer.StartDocument("R", &attributes);
    writer.StartElement("A", nullptr);
    writer.Text("one");
    writer.EndElement();
    writer.StartElement("B", nullptr);
    writer.Text("two");
    writer.EndElement();
    writer.EndDocument();
    EXPECT_EQ(lines.out, "[begin]<?xml version=\"1.0\"?>|<R Version=\"1.0\">|\t<A>one</A>|\t<B>two</B>|</R>[end]");
}

TEST(XMLWriter, EndElementWithNothingOpenIsRefusedAndWritesNothing)
{
    RecordingLines lines;
    XMLWriter writer(lines, 0);
    EXPECT_THROW(writer.EndElement(), XMLWriterNoOpenElement);
    writer.StartDocument("R", nullptr);
    writer.EndElement();
    const std::string written = lines.out;
    EXPECT_THROW(writer.EndElement(), XMLWriterNoOpenElement);
    EXPECT_EQ(lines.out, written);
}

TEST(XMLWriter, NestingIndentsOneTabPerLevelAndOtherLayouts)
{
    for (const auto& [layout, expected] : std::vector<std::pair<int, std::string>>{
             {0, "<?xml version=\"1.0\"?>|<R>|\t<A>|\t\t<B></B>|\t</A>|x</R>"},
             {1, "<?xml version=\"1.0\"?>|<R>|<A>|<B></B>|</A>|x</R>"},
             {7, "<?xml version=\"1.0\"?><R><A><B></B></A>x</R>"}}) {
        RecordingLines lines;
        XMLWriter writer(lines, layout);
        writer.StartDocument("R", nullptr);
        writer.StartElement("A", nullptr);
        writer.StartElement("B", nullptr);
        writer.EndElement();
        writer.EndElement();
        writer.Text("x");
        writer.EndDocument();
        EXPECT_EQ(lines.out, "[begin]" + expected + "[end]") << layout;
    }
}

TEST(XMLWriter, EmptyDocumentAndEncoding)
{
    RecordingLines lines;
    XMLWriter writer(lines, 0);
    const U8String encoding("UTF-8");
    writer.StartDocument("R", nullptr, &encoding);
    writer.EndDocument();
    EXPECT_EQ(lines.out, "[begin]<?xml version=\"1.0\" encoding=\"UTF-8\"?>|<R></R>[end]");
}

TEST(XMLWriter, EscapingDiffersBetweenTextAndAttributes)
{
    RecordingLines lines;
    XMLWriter writer(lines, 2);
    XMLAttributeList attributes;
    AddAttribute(attributes, "a", "\"&<>\xC3\xA9\t");
    writer.StartDocument("R", &attributes);
    lines.textCalls = 0;
    writer.Text("say \"x & y\" <z> \xC3\xA9\t\r\n");
    EXPECT_EQ(lines.textCalls, 10);  // the unchanged runs pass as single calls
    writer.EndDocument();
    EXPECT_EQ(lines.out, "[begin]<?xml version=\"1.0\"?><R a=\"&quot;&amp;&lt;&gt;\xC3\xA9\t\">"
                         "say \"x &amp; y\" &lt;z&gt; &#xc3;&#xa9;\t\r\n</R>[end]");
}

TEST(XMLWriter, NamesAreValidatedBeforeAnythingIsWritten)
{
    for (const char* bad : {"1a", "a b", "", "\xC3\xA9", "-a", "a\xC2\xB7"}) {
        RecordingLines lines;
        XMLWriter writer(lines, 0);
        writer.StartDocument("R", nullptr);
        const std::string before = lines.out;
        try {
            writer.StartElement(bad, nullptr);
            FAIL() << bad;
        } catch (const InvalidXMLElementName& e) {
            EXPECT_EQ(std::string(e.Description().View()),
                      std::string("Unable to write XML element with invalid element name '") + bad + "'");
        }
        EXPECT_EQ(lines.out, before);
    }
    for (const char* good : {"_x", ":x", "a-1.b", "a\xB7"}) {
        RecordingLines lines;
        XMLWriter writer(lines, 0);
        EXPECT_NO_THROW(writer.StartDocument(good, nullptr)) << good;
    }
}

TEST(XMLWriter, BadAttributeNameNamesElementAndAttribute)
{
    RecordingLines lines;
    XMLWriter writer(lines, 0);
    writer.StartDocument("R", nullptr);
    XMLAttributeList attributes;
    AddAttribute(attributes, "ok", "1");
    AddAttribute(attributes, "x y", "2");
    const std::string before = lines.out;
    try {
        writer.StartElement("E", &attributes);
        FAIL();
    } catch (const InvalidXMLAttributeName& e) {
        EXPECT_STREQ(e.what(), "Unable to write XML element 'E' with invalid attribute name 'x y'");
    }
    EXPECT_EQ(lines.out, before);
}

}  // namespace
