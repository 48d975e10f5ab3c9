#include "run/CsvReport.h"

#include "run/ItemStatus.h"

#include <string>

namespace {

// A field, quoted, its quotes doubled; written in pieces, never held whole.
void Field(ReportSink& sink, std::string_view text, bool last)
{
    sink.Write("\"");
    while (!text.empty()) {
        const std::size_t quote = text.find('"');
        const std::string_view piece = text.substr(0, quote == std::string_view::npos ? text.size() : quote + 1);
        sink.Write(piece);
        if (quote != std::string_view::npos)
            sink.Write("\"");
        text.remove_prefix(piece.size());
    }
    sink.Write(last ? "\"\r\n" : "\",");
}

}  // namespace

void WriteCsvDocument(const RunRecord&, const ItemSource& items, ReportSink& sink)
{
    sink.Write("\xEF\xBB\xBF");
    const char* const header[] = {"designator", "result", "resultType", "evaluationTime", "description", "comment",
                                  "status", "problem"};
    for (std::size_t i = 0; i < std::size(header); ++i)
        Field(sink, header[i], i + 1 == std::size(header));
    items.ForEach([&](const ListedItem& item) {
        for (const std::string* text : item.Fields())
            Field(sink, *text, false);
        Field(sink, StatusName(StatusOf(item)), false);
        Field(sink, item.problem, true);
    });
}
