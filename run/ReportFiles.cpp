#include "run/ReportFiles.h"

#include "text/Transcoding.h"
#include "run/CsvReport.h"
#include "run/HtmlReport.h"
#include "run/JunitReport.h"
#include "run/PrometheusReport.h"
#include "run/ResponseExport.h"

void WriteReport(const RunRecord& run, const ItemSource& items, ReportOutput::Format format, ReportSink& sink)
{
    switch (format) {
    case ReportOutput::Format::Junit:
        return WriteJunitDocument(run, items, sink);
    case ReportOutput::Format::Html:
        return WriteHtmlDocument(run, items, sink);
    case ReportOutput::Format::Csv:
        return WriteCsvDocument(run, items, sink);
    case ReportOutput::Format::Prom:
        return WritePrometheusDocument(run, items, sink);
    case ReportOutput::Format::Json:
        WriteJsonDocument(run, items, sink);
        sink.Write("\n");  // as on standard output
        return;
    }
}

std::vector<Outcome> WriteReports(const RunRecord& run, const ItemSource& items, const std::vector<ReportOutput>& outputs)
{
    std::vector<Outcome> failed;
    for (const ReportOutput& output : outputs) {
        try {
            ExportAnswer(_bstr_t(output.path.c_str()), std::nullopt, [&](DataReceiver& receiver) {
                receiver.Begin();
                ReceiverSink sink(receiver);
                WriteReport(run, items, output.format, sink);
                sink.Flush();
                receiver.End();
            });
        } catch (const std::exception& e) {  // memory running out too: the other reports are still tried
            failed.push_back(ReportFailed(NarrowReplacing(output.path), FailureReason(e)));
        }
    }
    return failed;
}
