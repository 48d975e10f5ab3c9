// Any document the parser can build a tree from is interpreted without a crash, and the
// response has one item per "ResponseItem" child of the root.
#include "compliance/ResponseInterpretation.h"
#include "text/Numerals.h"
#include "xml/XMLTreeParserPL.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    XMLTreeParserPL parser;
    const char* text = reinterpret_cast<const char*>(data);
    parser.Feed(text, text + size / 2);
    parser.Feed(text + size / 2, text + size);
    XMLElementPL* root = parser.Root();
    if (!root)
        return 0;
    std::size_t items = 0;
    for (const XMLElementPL& child : root->TrimChildren())
        items += child.Name().View() == "ResponseItem";
    try {
        const ComplianceResponse response = InterpretResponse(parser);
        if (response.items.size() != items)
            std::abort();
    } catch (const VerimarkResponseBadDocumentType&) {
    } catch (const VerimarkResponseTypeFailure&) {
    } catch (const NotANumeral&) {
    } catch (const NumeralTooLarge&) {
    }
    return 0;
}
