#include "compliance/ResponseFile.h"

#include "compliance/Registry.h"
#include "files/FileName.h"
#include "files/FileReadingLoop.h"
#include "text/Numerals.h"
#include "xml/XMLTreeParserPL.h"

#include <memory>

namespace {

constexpr std::size_t readBufferSize = 65568;  // 64 KiB and 32 bytes

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
                item.*field.text = std::move(child.MutableText());
                break;
            }
}

}  // namespace

ComplianceResponse InterpretResponse(XMLElementPL& root)
{
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
            ReadItem(child, response.items.emplace_back());
        }
    }
    if (!typeSeen)
        throw VerimarkResponseTypeFailure();
    return response;
}

ComplianceResponse ReadResponseFile()
{
    static const FileName responseName("response.xml");
    const FileLocation location = FileLocation::Child(ResponseDirectory(), responseName);
    WindowsPlatform::FileReadingPath file(location, false);
    const std::unique_ptr<char[]> buffer(new char[readBufferSize]);
    XMLTreeParserPL parser;
    for (FileReadingLoop loop(buffer.get(), buffer.get() + readBufferSize, file, 0); loop.Remaining() != 0;
         loop.Next())
        parser.Feed(loop.Window().first, loop.Window().last);
    if (!parser.Root() || parser.OpenElementCount() != 0)
        throw VerimarkResponseReadFailure();
    return InterpretResponse(*parser.Root());
}

FileLocation ResponseDirectory()
{
    const std::optional<CopiedU8String> value = ReadRegistryString(ApiKeyPath, L"ResponseDir");
    return value && !value->Empty() ? FileLocation(*value) : FileLocation();
}
