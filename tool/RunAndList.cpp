#include "tool/RunAndList.h"

#include "tool/Listing.h"
#include "run/RunDriver.h"

#include <utility>

namespace {

// Passes everything on to the presenter, and each item to the feeds as well.
class WithFeeds final : public RunObserver {
public:
    WithFeeds(RunObserver& presenter, const std::vector<ItemFeed*>& feeds) : presenter_(presenter), feeds_(feeds) {}
    void OpenFailed(std::int32_t code) override { presenter_.OpenFailed(code); }
    void Progress(std::int32_t percent) override { presenter_.Progress(percent); }
    void ResultsReady() override { presenter_.ResultsReady(); }
    void Count(std::int32_t count) override { presenter_.Count(count); }
    void Item(const _bstr_t (&texts)[6]) override
    {
        if (!feeds_.empty()) {
            const ListedItem item = ListedItemOf(texts);
            for (ItemFeed* feed : feeds_)
                feed->Item(item);
        }
        presenter_.Item(texts);
    }
    void ProgressError(std::int32_t error) override { presenter_.ProgressError(error); }

private:
    RunObserver& presenter_;
    const std::vector<ItemFeed*>& feeds_;
};

}  // namespace

std::int32_t RunAndList(_bstr_t url, _bstr_t document, std::int32_t flags, bool exportResponse, _bstr_t outputPath,
                        const RunSettings& settings, RunReport* report)
{
    RunRequest request{url, document, flags, std::nullopt};
    if (exportResponse)
        request.exportPath = outputPath;
    for (ItemFeed* feed : settings.feeds)
        feed->Begin(request);
    class Silent final : public RunObserver {
    } silent;
    ListingPresenter listing(settings.quiet);
    ProgressPresenter progress(stderr);
    RunObserver& presenter = !settings.json  ? static_cast<RunObserver&>(listing)
                             : settings.quiet ? static_cast<RunObserver&>(silent)
                                              : static_cast<RunObserver&>(progress);
    WithFeeds observer(presenter, settings.feeds);
    RunReport run = DriveRun(request, settings.limits, observer);
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
