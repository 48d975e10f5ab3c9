// The parser's events do not depend on where the input is cut into pieces: the whole
// input, three pieces at fuzzed places, and (for short inputs) single bytes all agree.
#include "xml/SimpleXMLParserPL.h"

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
    if (input.size() <= 1024) {  // a call per byte is slow: short inputs only
        std::vector<std::size_t> every;
        for (std::size_t i = 1; i < input.size(); ++i)
            every.push_back(i);
        if (Events(input, every) != whole)
            std::abort();
    }
    return 0;
}
