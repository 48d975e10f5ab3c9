#include "xml/XMLTreeParserPL.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Dump(const XMLElementPL& e)
{
    std::string s = "(";
    s += e.Name().View();
    for (const XMLAttributePL& a : e.AttributeList()) {
        s += ' ';
        s += a.name.StringView();
        s += '=';
        s += a.value.StringView();
    }
    if (!e.Text().Empty()) {
        s += " '";
        s += e.Text().View();
        s += '\'';
    }
    for (const XMLElementPL& child : e.ChildList()) {
        s += ' ';
        s += Dump(child);
    }
    s += ')';
    return s;
}

struct Parsed {
    std::string tree;  // empty without a root
    std::size_t open;
};

Parsed Parse(std::string_view input, std::size_t piece)
{
    XMLTreeParserPL parser;
    for (std::size_t at = 0; at < input.size(); at += piece)
        parser.Feed(input.data() + at, input.data() + std::min(input.size(), at + piece));
    return {parser.Root() ? Dump(*parser.Root()) : std::string(), parser.OpenElementCount()};
}

// The tree after feeding the input at every piece size (all must agree).
Parsed Tree(std::string_view input)
{
    const Parsed whole = Parse(input, input.size());
    for (std::size_t piece = 1; piece < input.size(); ++piece) {
        const Parsed split = Parse(input, piece);
        EXPECT_EQ(split.tree, whole.tree) << "piece size " << piece;
        EXPECT_EQ(split.open, whole.open) << "piece size " << piece;
    }
    return whole;
}

TEST(XMLTree, TextCollectsEverythingDirectlyInsideAnElement)
{
    const Parsed p = Tree("<?xml version=\"1.0\"?>\r\n<R V=\"1\">\r\n\t<A>x&lt;y</A>\r\n\t<B/>\r\n</R>");
    EXPECT_EQ(p.tree, "(R V=1 '\r\n\t\r\n\t\r\n' (A 'x<y') (B))");
    EXPECT_EQ(p.open, 0u);
}

TEST(XMLTree, TextOutsideTheRootIsDroppedAndEndNamesAreNotCompared)
{
    EXPECT_EQ(Tree("lead<r>in</x>trail").tree, "(r 'in')");
    EXPECT_EQ(Tree("<a><b>t</a>").open, 1u);
}

TEST(XMLTree, CutOffDocumentLeavesElementsOpen)
{
    const Parsed p = Tree("<R><Item><Name>half");
    EXPECT_EQ(p.open, 3u);
    EXPECT_EQ(Tree("").tree, "");
    EXPECT_EQ(Tree("<?xml version=\"1.0\"?>").tree, "");
}

TEST(XMLTree, SecondTopLevelElementReusesTheRootInPlace)
{
    XMLTreeParserPL parser;
    const std::string_view doc = "<R a='1'><x>1</x><y>2</y><z>3</z></R><S b='2'><p>9</p><q/></S>";
    parser.Feed(doc.data(), doc.data() + doc.size());
    XMLElementPL& root = *parser.Root();
    EXPECT_EQ(root.Name().View(), "S");
    ASSERT_EQ(root.AttributeList().size(), 1u);
    EXPECT_EQ(root.AttributeList()[0].name.StringView(), "b");
    EXPECT_EQ(Dump(root), "(S b=2 (p '9') (q) (z '3'))");
    EXPECT_EQ(root.TrimChildren().size(), 2u);
    EXPECT_EQ(Dump(root), "(S b=2 (p '9') (q))");
    EXPECT_EQ(root.TrimChildren().size(), 2u);
}

TEST(XMLTree, CopiesAreDeepAndKeepTheirReusePosition)
{
    XMLTreeParserPL parser;
    const std::string_view doc = "<R><x>1</x><y>2</y></R><S><p/></S>";
    parser.Feed(doc.data(), doc.data() + doc.size());
    XMLElementPL copy = *parser.Root();
    EXPECT_EQ(copy.TrimChildren().size(), 1u);
    EXPECT_EQ(Dump(*parser.Root()), "(S (p) (y '2'))");
    EXPECT_EQ(Dump(copy), "(S (p))");
}

TEST(XMLTree, ElementsTakenOutOfATreeOutliveTheParser)
{
    const std::string longText(40, 'x');
    CompactText taken;
    std::shared_ptr<const TreeArena> texts;
    XMLElementPL moved;
    {
        XMLTreeParserPL parser;
        const std::string doc = "<R><a>" + longText + "</a><b>short</b></R>";
        parser.Feed(doc.data(), doc.data() + doc.size());
        XMLElementPL& a = parser.Root()->TrimChildren().front();
        taken = a.TakeText();
        EXPECT_TRUE(a.Text().Empty());
        texts = parser.TextStorage();
        // Moving an element out of a tree copies it: the tree goes away with the parser.
        moved = std::move(*parser.Root());
    }
    EXPECT_EQ(taken.StringView(), longText);
    EXPECT_EQ(Dump(moved), "(R (a) (b 'short'))");

    // Copies of a borrowed text own their bytes; growing one leaves the stored text alone.
    CompactText copy = taken;
    copy.Append(U8String("!"));
    EXPECT_EQ(copy.StringView(), longText + "!");
    EXPECT_EQ(taken.StringView(), longText);
    taken.Append(U8String("?"));
    EXPECT_EQ(taken.StringView(), longText + "?");
}

TEST(XMLTree, DeeplyNestedDocumentIsBuiltCopiedAndFreedWithoutRecursion)
{
    // Far deeper than any stack could follow one call per level.
    constexpr std::size_t depth = 300000;
    std::string doc;
    for (std::size_t i = 0; i < depth; ++i)
        doc += "<a>";
    doc += "deep";
    for (std::size_t i = 0; i < depth; ++i)
        doc += "</a>";
    XMLTreeParserPL parser;
    parser.Feed(doc.data(), doc.data() + doc.size());
    ASSERT_EQ(parser.OpenElementCount(), 0u);
    const XMLElementPL copy = *parser.Root();
    const XMLElementPL* e = &copy;
    for (std::size_t level = 1; level < depth; ++level) {
        ASSERT_EQ(e->ChildList().size(), 1u);
        e = &e->ChildList().front();
    }
    EXPECT_EQ(e->Text().View(), "deep");
}

}  // namespace
