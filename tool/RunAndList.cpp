#include "tool/RunAndList.h"

#include "run/ItemSpool.h"
#include "run/ResponseExport.h"
#include "run/RunDriver.h"
#include "tool/Listing.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace {

bool Known(const RunReport& report, std::int32_t index)
{
    return std::any_of(report.unreported.begin(), report.unreported.end(),
                       [&](const UnreportedItem& item) { return item.index == index; });
}

// The count and every item, from the store, to the presenter and the document. What cannot
// be shown is noted in the report, never passed over in silence.
void PresentItems(RunReport& report, const ItemSource& items, ItemPresenter& presenter, JsonReportWriter* document)
{
    if (!report.count)
        return;
    presenter.Count(*report.count);
    std::int32_t index = 0;
    try {
        items.ForEach([&](const ListedItem& item) {
            if (!item.problem.empty() && !Known(report, index))
                report.Unreported(index, item.problem);
            try {
                presenter.Item(item);
                if (document)
                    document->Item(item);
            } catch (const std::bad_alloc&) {
                report.Unreported(index, "there was not enough memory to show it");
            }
            ++index;
        });
    } catch (const std::exception& e) {
        report.Unreported(index, "the items kept for showing could not be read back: " + FailureReason(e));
    }
}

}  // namespace

std::int32_t RunAndList(_bstr_t url, _bstr_t document, std::int32_t flags, bool exportResponse, _bstr_t outputPath,
                        const RunSettings& settings, RunReport* report)
{
    RunRequest request{url, document, flags, std::nullopt};
    if (exportResponse)
        request.exportPath = outputPath;
    if (settings.document)
        settings.document->Begin(request);
    std::optional<ItemSpool> ownSpool;
    ItemStore& store = settings.store ? *settings.store : ownSpool.emplace();
    class Silent final : public RunObserver, public ItemPresenter {
    } silent;
    ListingPresenter listing(settings.quiet);
    ProgressPresenter progress(stderr);
    RunObserver& during = !settings.json  ? static_cast<RunObserver&>(listing)
                          : settings.quiet ? static_cast<RunObserver&>(silent)
                                           : static_cast<RunObserver&>(progress);
    ItemPresenter& after = !settings.json ? static_cast<ItemPresenter&>(listing) : static_cast<ItemPresenter&>(silent);
    RunReport run = DriveRun(request, settings.limits, during, store);
    PresentItems(run, store, after, settings.document);
    const ExitStatus status = run.outcome.status;
    if (report)
        *report = std::move(run);
    switch (status) {
    case ExitStatus::InvalidText:
        return RunInvalidUtf8;
    case ExitStatus::ExportFailed:
        return RunExportFailed;
    default:
        return RunCompleted;
    }
}
