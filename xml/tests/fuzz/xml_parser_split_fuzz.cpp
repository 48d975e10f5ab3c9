// The parser's events do not depend on where the input is cut into pieces: the whole
// input, three pieces at fuzzed places, and (for short inputs) single bytes all agree.
// The same holds for the element tree, whose copy equals it and outlives the parser.
#include "xml/SimpleXMLParserPL.h"
#include "xml/XMLTreeParserPL.h"

#include <optional>
#include <utility>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class Recorder final : public SimpleXMLParserPL {
public:
    void OnStartElement(U8String name, XMLAttributeSpan attributes) override { Tag('S', name, attributes); }
    void OnProcessingInstruction(U8String name, XMLAttributeSpan attributes) override { Tag('P', name, attributes); }
    void OnEndElement(U8String name) override
    {
        log += 'E';
        log += name.View();
        log += '\0';
    }
    void OnCharacters(U8String text) override
    {
        // Adjacent runs may arrive as one event or several; their bytes must not change.
        if (!log.empty() && pendingText)
            log += text.View();
        else {
            log += 'T';
            log += text.View();
        }
        pendingText = true;
    }
    std::string log;

private:
    void Tag(char kind, U8String name, XMLAttributeSpan attributes)
    {
        pendingText = false;
        log += '\0';
        log += kind;
        log += name.View();
        for (const XMLAttributeSlot* a : attributes) {
            log += '\1';
            log += a->name;
            log += '\2';
            log += a->value;
        }
        log += '\0';
    }
    bool pendingText = false;
};

std::string Events(const std::string& input, const std::vector<std::size_t>& cuts)
{
    Recorder parser;
    std::size_t at = 0;
    for (std::size_t cut : cuts) {
        parser.Feed(input.data() + at, input.data() + cut);
        at = cut;
    }
    parser.Feed(input.data() + at, input.data() + input.size());
    return parser.log;
}

// The tree as text, depth first without recursion (documents may nest deeply).
std::string Dump(const XMLElementPL& root)
{
    std::string out;
    std::vector<std::pair<const XMLElementPL*, bool>> stack{{&root, false}};
    while (!stack.empty()) {
        auto [element, closing] = stack.back();
        stack.pop_back();
        if (closing) {
            out += ')';
            continue;
        }
        out += '(';
        out += element->Name().View();
        for (const XMLAttributePL& a : element->AttributeList()) {
            out += '\1';
            out += a.name.StringView();
            out += '\2';
            out += a.value.StringView();
        }
        out += '\3';
        out += element->Text().View();
        stack.push_back({element, true});
        std::vector<const XMLElementPL*> children;
        for (const XMLElementPL& child : element->ChildList())
            children.push_back(&child);
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            stack.push_back({*child, false});
    }
    return out;
}

struct Tree {
    std::string dump;  // empty without a root
    std::size_t open = 0;
    std::optional<XMLElementPL> copy;
};

Tree Build(const std::string& input, std::size_t a, std::size_t b)
{
    XMLTreeParserPL parser;
    parser.Feed(input.data(), input.data() + a);
    parser.Feed(input.data() + a, input.data() + b);
    parser.Feed(input.data() + b, input.data() + input.size());
    Tree tree;
    tree.open = parser.OpenElementCount();
    if (parser.Root()) {
        tree.dump = Dump(*parser.Root());
        tree.copy.emplace(*parser.Root());
    }
    return tree;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string whole = Events(input, {});
    std::size_t a = input.empty() ? 0 : data[0] % (input.size() + 1), b = input.empty() ? 0 : data[1] % (input.size() + 1);
    if (a > b)
        std::swap(a, b);
    if (Events(input, {a, b}) != whole)
        std::abort();
    const Tree one = Build(input, input.size(), input.size()), three = Build(input, a, b);
    if (one.dump != three.dump || one.open != three.open || one.copy.has_value() != !one.dump.empty())
        std::abort();
    if (one.copy && Dump(*one.copy) != one.dump)  // the parser is gone; the copy stands alone
        std::abort();
    if (input.size() <= 1024) {  // a call per byte is slow: short inputs only
        std::vector<std::size_t> every;
        for (std::size_t i = 1; i < input.size(); ++i)
            every.push_back(i);
        if (Events(input, every) != whole)
            std::abort();
    }
    return 0;
}
