#pragma once
// One run of the console tool as a value: what it was asked (RunRequest), within which
// limits (RunLimits), what it passes on as it goes (RunObserver), and how it ended
// (RunReport). The driver (tool/RunDriver.h) produces the report; the presenters turn it
// into the listing, the JSON document, the line on standard error and the exit status.
#include "text/Bstr.h"
#include "run/Outcome.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct RunRequest {
    _bstr_t url, document;
    std::int32_t flags = 0;
    std::optional<_bstr_t> exportPath;  // with -x
};

struct RunLimits {
    std::optional<std::uint32_t> timeoutSeconds;
    std::optional<std::uint64_t> started;  // on the sleeper's clock; the driver's start when not given
    bool keepItems = false;                // the report keeps every item's texts (the script objects)
};

// What a run passes on while it goes, in its order: a presenter prints the listing from it.
class RunObserver {
public:
    virtual void OpenFailed(std::int32_t /*code*/) {}
    virtual void Progress(std::int32_t /*percent*/) {}
    // The evaluation completed: its answer is held (ComplianceSession::CopyResponse) until
    // the run closes the session.
    virtual void ResultsReady() {}
    virtual void Count(std::int32_t /*count*/) {}
    virtual void Item(const _bstr_t (&/*texts*/)[6]) {}
    virtual void ProgressError(std::int32_t /*error*/) {}

protected:
    ~RunObserver() = default;
};

// One result item's texts in UTF-8, as the agent gave them.
struct ListedItem {
    std::string designator, result, resultType, evaluationTime, description, comment;
};
ListedItem ListedItemOf(const _bstr_t (&texts)[6]);

// Takes a run's items as they are read: the reports written as the run goes.
class ItemFeed {
public:
    virtual void Begin(const RunRequest& /*request*/) {}
    virtual void Item(const ListedItem& item) = 0;

protected:
    ~ItemFeed() = default;
};

// Hands out a run's items in their order, as often as asked, one at a time.
class ItemSource {
public:
    virtual void ForEach(const std::function<void(const ListedItem&)>& each) const = 0;

protected:
    ~ItemSource() = default;
};

// The items a report kept (RunLimits::keepItems).
class KeptItems final : public ItemSource {
public:
    explicit KeptItems(const std::vector<ListedItem>& items) : items_(items) {}
    void ForEach(const std::function<void(const ListedItem&)>& each) const override
    {
        for (const ListedItem& item : items_)
            each(item);
    }

private:
    const std::vector<ListedItem>& items_;
};

struct RunReport {
    RunRequest request;  // what the run was asked
    Outcome outcome;
    std::vector<ListedItem> items;  // with RunLimits::keepItems only
    std::size_t total = 0, passed = 0, failed = 0, errors = 0;  // results "True", "False", anything else
    // The items by what they say (tool/ItemStatus.h): passed, failed, could not be evaluated.
    std::size_t itemsPassed = 0, itemsFailed = 0, itemsNotEvaluated = 0;
    std::optional<std::int32_t> lastPercent;                    // the last progress the agent reported
    bool exportWritten = false;
    std::uint64_t milliseconds = 0;  // from the start to the end of the run, on the sleeper's clock
};
