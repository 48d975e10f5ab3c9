// The streaming response reader against the element tree it replaced: for every input, cut
// into pieces at places the input itself chooses, both give the same response (kind,
// progress, items and their six texts) or fail the same way.
#include "compliance/ResponseInterpretation.h"
#include "compliance/ResponseReader.h"
#include "text/Numerals.h"
#include "xml/XMLTreeParserPL.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

enum class Failure { None, ReadFailure, BadDocumentType, TypeFailure, NotANumeral, TooLarge };

template <class Read>
Failure Outcome(Read read, ComplianceResponse& response)
{
    try {
        response = read();
        return Failure::None;
    } catch (const VerimarkResponseReadFailure&) {
        return Failure::ReadFailure;
    } catch (const VerimarkResponseBadDocumentType&) {
        return Failure::BadDocumentType;
    } catch (const VerimarkResponseTypeFailure&) {
        return Failure::TypeFailure;
    } catch (const NotANumeral&) {
        return Failure::NotANumeral;
    } catch (const NumeralTooLarge&) {
        return Failure::TooLarge;
    }
}

bool Same(const ComplianceResultItem& a, const ComplianceResultItem& b)
{
    return a.designator.StringView() == b.designator.StringView() && a.result.StringView() == b.result.StringView() &&
           a.resultType.StringView() == b.resultType.StringView() &&
           a.evaluationTime.StringView() == b.evaluationTime.StringView() &&
           a.description.StringView() == b.description.StringView() && a.comment.StringView() == b.comment.StringView();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte says how many cuts the reader's input gets (0 to 7); the next ones
    // where, as fractions of the document.
    const std::size_t cuts = std::min<std::size_t>(data[0] % 8, size - 1);
    const char* text = reinterpret_cast<const char*>(data + 1 + cuts);
    const std::size_t length = size - 1 - cuts;
    std::vector<std::size_t> at{0};
    for (std::size_t i = 0; i < cuts; ++i)
        at.push_back(std::max(at.back(), length * data[1 + i] / 255));
    at.push_back(length);

    ComplianceResponse fromTree, fromReader;
    const Failure treeFailure = Outcome(
        [&] {
            XMLTreeParserPL parser;
            parser.Feed(text, text + length);
            if (!parser.Root() || parser.OpenElementCount() != 0)
                throw VerimarkResponseReadFailure();
            return InterpretResponse(parser);
        },
        fromTree);
    const Failure readerFailure = Outcome(
        [&] {
            ResponseReader reader;
            for (std::size_t i = 0; i + 1 < at.size(); ++i)
                reader.Feed(text + at[i], text + at[i + 1]);
            return reader.Finish();
        },
        fromReader);
    if (treeFailure != readerFailure)
        std::abort();
    if (treeFailure != Failure::None)
        return 0;
    if (fromTree.kind != fromReader.kind || fromTree.progressState != fromReader.progressState ||
        fromTree.progressError != fromReader.progressError || fromTree.progressPercent != fromReader.progressPercent ||
        fromTree.items.size() != fromReader.items.size())
        std::abort();
    for (std::size_t i = 0; i < fromTree.items.size(); ++i)
        if (!Same(fromTree.items[i], fromReader.items[i]))
            std::abort();
    return 0;
}
