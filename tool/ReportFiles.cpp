#include "tool/ReportFiles.h"

#include "text/Transcoding.h"
#include "tool/HtmlReport.h"
#include "tool/JunitReport.h"
#include "tool/ResponseExport.h"

std::string ReportDocument(const RunRecord& run, ReportOutput::Format format)
{
    switch (format) {
    case ReportOutput::Format::Junit:
        return JunitDocument(run);
    case ReportOutput::Format::Html:
        return HtmlDocument(run);
    case ReportOutput::Format::Json:
        break;
    }
    return JsonDocument(run) + "\n";
}

std::optional<Outcome> WriteReports(const RunRecord& run, const std::vector<ReportOutput>& outputs)
{
    std::optional<Outcome> failed;
    for (const ReportOutput& output : outputs) {
        try {
            const std::string document = ReportDocument(run, output.format);
            ExportAnswer(_bstr_t(output.path.c_str()), std::nullopt, [&](DataReceiver& sink) {
                sink.Begin();
                sink.Receive(document.data(), document.data() + document.size());
                sink.End();
            });
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& e) {
            if (!failed)
                failed = ReportFailed(Narrow(output.path), ExportFailureReason(e));
        }
    }
    return failed;
}
