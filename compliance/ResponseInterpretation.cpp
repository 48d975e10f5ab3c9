#include "compliance/ResponseInterpretation.h"

#include "text/Numerals.h"
#include "xml/XMLTreeParserPL.h"

namespace {

bool Is(const XMLElementPL& element, std::string_view name) { return element.Name().View() == name; }

void ReadItem(XMLElementPL& element, ComplianceItems& items)
{
    static constexpr std::string_view fields[ComplianceItems::FieldCount] = {
        "Designator", "Result", "ResultType", "EvaluationTime", "Description", "Comment"};
    ComplianceItems::Texts texts;
    for (XMLElementPL& child : element.TrimChildren())
        for (std::size_t f = 0; f < ComplianceItems::FieldCount; ++f)
            if (Is(child, fields[f])) {
                texts[f] = child.Text();  // a repeated element replaces the earlier text
                break;
            }
    items.Add(texts);
}

}  // namespace

ComplianceResponse InterpretResponse(XMLTreeParserPL& parsed)
{
    XMLElementPL& root = *parsed.Root();
    ComplianceResponse response;
    if (!Is(root, "TVKVerimarkResponse"))
        throw VerimarkResponseBadDocumentType();
    bool typeSeen = false;
    for (XMLElementPL& child : root.TrimChildren()) {
        if (Is(child, "ResponseType")) {
            const std::string_view text = child.Text().View();
            for (ComplianceRequestType kind :
                 {ComplianceRequestType::Open, ComplianceRequestType::Close, ComplianceRequestType::Progress})
                if (text == RequestTypeText(kind)) {
                    response.kind = kind;
                    typeSeen = true;
                }
        } else if (Is(child, "ResponseProgressState")) {
            response.progressState = ParseInt32(child.Text());
        } else if (Is(child, "ResponseProgressError")) {
            response.progressError = ParseInt32(child.Text());
        } else if (Is(child, "ResponseProgressPercent")) {
            response.progressPercent = ParseInt32(child.Text());
        } else if (Is(child, "ResponseItem")) {
            ReadItem(child, response.items);
        }
    }
    if (!typeSeen)
        throw VerimarkResponseTypeFailure();
    return response;
}
