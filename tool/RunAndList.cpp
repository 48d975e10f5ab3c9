#include "tool/RunAndList.h"

#include "tool/Listing.h"
#include "tool/RunDriver.h"

#include <utility>

std::int32_t RunAndList(_bstr_t url, _bstr_t document, std::int32_t flags, bool exportResponse, _bstr_t outputPath,
                        const RunSettings& settings, RunReport* report)
{
    RunRequest request{url, document, flags, std::nullopt};
    if (exportResponse)
        request.exportPath = outputPath;
    RunLimits limits = settings.limits;
    limits.keepItems = limits.keepItems || settings.json;
    class Silent final : public RunObserver {
    } silent;
    ListingPresenter listing(settings.quiet);
    ProgressPresenter progress(stderr);
    RunObserver& presenter = !settings.json  ? static_cast<RunObserver&>(listing)
                             : settings.quiet ? static_cast<RunObserver&>(silent)
                                              : static_cast<RunObserver&>(progress);
    RunReport run = DriveRun(request, limits, presenter);
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
