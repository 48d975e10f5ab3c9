#include "compliance/ResponseInterpretation.h"

#include "text/Numerals.h"
#include "xml/XMLTreeParserPL.h"

namespace {

bool Is(const XMLElementPL& element, std::string_view name) { return element.Name().View() == name; }

void ReadItem(XMLElementPL& element, ComplianceResultItem& item)
{
    struct Field {
        std::string_view name;
        CompactText ComplianceResultItem::*text;
    };
    static constexpr Field fields[] = {
        {"Designator", &ComplianceResultItem::designator},
        {"Result", &ComplianceResultItem::result},
        {"ResultType", &ComplianceResultItem::resultType},
        {"EvaluationTime", &ComplianceResultItem::evaluationTime},
        {"Description", &ComplianceResultItem::description},
        {"Comment", &ComplianceResultItem::comment},
    };
    for (XMLElementPL& child : element.TrimChildren())
        for (const Field& field : fields)
            if (Is(child, field.name)) {
                // A repeated element replaces the earlier text. The tree is done with: take the text.
                item.*field.text = child.TakeText();
                break;
            }
}

std::size_t CountItems(const XMLElementPL& root)
{
    std::size_t n = 0;
    for (const XMLElementPL& child : root.ChildList())
        n += Is(child, "ResponseItem");
    return n;
}

}  // namespace

ComplianceResponse InterpretResponse(XMLTreeParserPL& parsed)
{
    XMLElementPL& root = *parsed.Root();
    ComplianceResponse response;
    response.texts = parsed.TextStorage();
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
            if (response.items.empty())
                response.items.reserve(CountItems(root));
            ReadItem(child, response.items.emplace_back());
        }
    }
    if (!typeSeen)
        throw VerimarkResponseTypeFailure();
    return response;
}
