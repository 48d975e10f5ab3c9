#include "xml/SimpleXMLParserPL.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingParser final : public SimpleXMLParserPL {
public:
    void OnStartElement(U8String name, XMLAttributeSpan attributes) override
    {
        events.push_back("start " + Describe(name, attributes));
    }
    void OnEndElement(U8String name) override { events.push_back("end " + std::string(name.View())); }
    void OnCharacters(U8String text) override { events.push_back("text " + std::string(text.View())); }
    void OnProcessingInstruction(U8String name, XMLAttributeSpan attributes) override
    {
        events.push_back("pi " + Describe(name, attributes));
    }
    std::vector<std::string> events;

private:
    static std::string Describe(U8String name, XMLAttributeSpan attributes)
    {
        std::string s(name.View());
        for (const XMLAttributeSlot* a : attributes)
            s += " [" + a->name + "]=[" + a->value + "]";
        return s;
    }
};

// Feeds the input in pieces of every size from 1 byte to the whole and checks that each
// split gives the same events; returns them.
std::vector<std::string> Events(std::string_view input)
{
    std::vector<std::string> whole;
    for (std::size_t piece = input.size(); piece >= 1; --piece) {
        RecordingParser parser;
        for (std::size_t at = 0; at < input.size(); at += piece)
            parser.Feed(input.data() + at, input.data() + std::min(input.size(), at + piece));
        if (piece == input.size())
            whole = parser.events;
        else
            EXPECT_EQ(parser.events, whole) << "piece size " << piece << " of: " << input;
    }
    return whole;
}

using Log = std::vector<std::string>;

TEST(XMLParser, EntitiesInTextAreEventsOfTheirOwn)
{
    EXPECT_EQ(Events("<a>x&lt;y</a>"), (Log{"start a", "text x", "text <", "text y", "end a"}));
    EXPECT_EQ(Events("<a>&#x41;&#x100;&#65;&apos;&quot;&gt;&amp;</a>"),
              (Log{"start a", "text A", "text &#x100;", "text &#65;", "text &apos;", "text \"", "text >", "text &",
                   "end a"}));
    EXPECT_EQ(Events("<a>&#xc3;&#xA9;&#x0x41;&#x 2a;&#X41;</a>"),
              (Log{"start a", "text \xC3", "text \xA9", "text A", "text *", "text &#X41;", "end a"}));
}

TEST(XMLParser, ReferencesReadAsSignedHexadecimal)
{
    EXPECT_EQ(DecodeXMLEntity("&#x;"), std::string(1, '\0'));
    EXPECT_EQ(DecodeXMLEntity("&#x-1;"), "\xFF");
    EXPECT_EQ(DecodeXMLEntity("&#x+41;"), "A");
    EXPECT_EQ(DecodeXMLEntity("&#x41zz;"), "A");
    EXPECT_EQ(DecodeXMLEntity("&#xFF;"), "\xFF");
    EXPECT_EQ(DecodeXMLEntity("&#x100;"), "&#x100;");
    EXPECT_EQ(DecodeXMLEntity("&#xFFFFFFFFFF;"), "&#xFFFFFFFFFF;");
    EXPECT_EQ(DecodeXMLEntity("&#x-FFFFFFFFFF;"), std::string(1, '\0'));
    EXPECT_EQ(DecodeXMLEntity("&bogus;"), "&bogus;");
}

TEST(XMLParser, AttributesInOrderWithEitherQuote)
{
    EXPECT_EQ(Events("<a b='1' c=\"2\" d='x&amp;y\"'>t</a>"),
              (Log{"start a [b]=[1] [c]=[2] [d]=[x&y\"]", "text t", "end a"}));
    EXPECT_EQ(Events("<a b = '1'>"), (Log{"start a [b ]=[1]"}));
    // Only a space ends the name: a tab stays in it.
    EXPECT_EQ(Events("<a\tb='1'>"), (Log{"start a\tb='1'"}));
    // Attribute slots are reused: a later tag with fewer attributes has only its own.
    EXPECT_EQ(Events("<a x='1' y='2'><b z='3'></b></a>"),
              (Log{"start a [x]=[1] [y]=[2]", "start b [z]=[3]", "end b", "end a"}));
}

TEST(XMLParser, DeclarationIsAProcessingInstruction)
{
    EXPECT_EQ(Events("<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>"),
              (Log{"pi ?xml [version]=[1.0] [encoding]=[UTF-8]", "start r", "end r"}));
    EXPECT_EQ(Events("<?pi?>"), (Log{"pi ?pi?"}));  // without a space the "?" stays in the name
}

TEST(XMLParser, CommentsAndHyphensInNames)
{
    EXPECT_EQ(Events("<r><!-- a -- b -->x</r>"), (Log{"start r", "text x", "end r"}));
    EXPECT_EQ(Events("<r><a-b-c>skipped--><d/></r>"), (Log{"start r", "start d", "end d", "end r"}));
    EXPECT_EQ(Events("<a-b></a-b>"), (Log{"start ab", "end a-b"}));
}

TEST(XMLParser, CDataKeepsMarkupAndStrayBrackets)
{
    EXPECT_EQ(Events("<a><![CDATA[x<y]]></a>"), (Log{"start a", "text x<y", "end a"}));
    EXPECT_EQ(Events("<a>p<![CDATA[a]]b]]>q</a>"), (Log{"start a", "text p", "text a]]b", "text q", "end a"}));
}

TEST(XMLParser, SelfClosingTagsAreEmptyElements)
{
    EXPECT_EQ(Events("<r><a/><b c=\"1\"/><d /></r>"),
              (Log{"start r", "start a", "end a", "start b [c]=[1]", "end b", "start d", "end d", "end r"}));
    EXPECT_EQ(Events("<r><a / b='1'></a></r>"), (Log{"start r", "start a [b]=[1]", "end a", "end r"}));
}

TEST(XMLParser, LenientReadingsOfBrokenMarkup)
{
    // A bare ampersand swallows everything up to the next semicolon, tags included.
    EXPECT_EQ(Events("<a>x & y</a><b>;z"), (Log{"start a", "text x ", "text & y</a><b>;", }));
    // An attribute without "=" takes what follows into its name up to the next "=".
    EXPECT_EQ(Events("<a b><c d='1'>"), (Log{"start a [b><c d]=[1]"}));
    // Pending text is not delivered without a following tag.
    EXPECT_EQ(Events("<a>tail"), (Log{"start a"}));
    EXPECT_EQ(Events("<>"), (Log{"start "}));
}

}  // namespace
