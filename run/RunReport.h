#pragma once
// One run of an evaluation as a value: what it was asked (RunRequest), within which limits
// (RunLimits), what it tells while the session is open (RunObserver), where its items go
// (ItemStore), and how it ended (RunReport). The driver (run/RunDriver.h) produces the
// report; presenters read it and the stored items once the session is closed.
#include "run/Outcome.h"
#include "text/Bstr.h"

#include <array>
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
    std::optional<std::uint32_t> waitLockSeconds;  // how long Open waits for another session's lock
    std::optional<std::uint64_t> started;  // on the sleeper's clock; the driver's start when not given
};

// What a run tells while its session is open, in its order.
class RunObserver {
public:
    virtual void OpenFailed(std::int32_t /*code*/) {}
    virtual void Progress(std::int32_t /*percent*/) {}
    // The evaluation completed: its answer is held (ComplianceSession::CopyResponse) until
    // the run closes the session. What this throws ends the run (the session is closed).
    virtual void ResultsReady() {}
    virtual void ProgressError(std::int32_t /*error*/) {}

protected:
    ~RunObserver() = default;
};

// One result item: its six texts in UTF-8 as the agent gave them, or, for an item that
// could not be read or reported, why (`problem`; its texts are then what could be had).
struct ListedItem {
    std::string designator, result, resultType, evaluationTime, description, comment;
    std::string problem;

    static constexpr std::size_t fieldCount = 6;
    // The texts in the agent's order, for code that treats them alike.
    std::array<const std::string*, fieldCount> Fields() const
    {
        return {&designator, &result, &resultType, &evaluationTime, &description, &comment};
    }
    std::array<std::string*, fieldCount> Fields()
    {
        return {&designator, &result, &resultType, &evaluationTime, &description, &comment};
    }
};

// Takes a run's items as they are read.
class ItemFeed {
public:
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

// Where a run's items wait between the session and the presenters.
class ItemStore : public ItemFeed, public ItemSource {
protected:
    ~ItemStore() = default;
};

// The items in memory (the script objects keep them).
class KeptItems final : public ItemStore {
public:
    void Item(const ListedItem& item) override { items.push_back(item); }
    void ForEach(const std::function<void(const ListedItem&)>& each) const override
    {
        for (const ListedItem& item : items)
            each(item);
    }

    std::vector<ListedItem> items;
};

// The items counted by what they say (run/ItemStatus.h): the one classification every
// surface shows. `results` counts the result text alone ("True", "False", anything else).
struct ItemCounts {
    std::size_t total = 0, passed = 0, failed = 0, errors = 0;
    struct {
        std::size_t isTrue = 0, isFalse = 0, other = 0;
    } results;
    void Add(const ListedItem& item);
};

// An item that could not be read from the answer or reported, and why.
struct UnreportedItem {
    std::int32_t index;
    std::string why;
};

struct RunReport {
    RunRequest request;  // what the run was asked
    Outcome outcome;
    std::optional<std::int32_t> count;  // the agent's count of items, once the evaluation completed
    ItemCounts items;
    std::vector<UnreportedItem> unreported;  // the first few; `items` counts them all as errors
    std::size_t unreportedCount = 0;
    std::optional<std::int32_t> lastPercent;  // the last progress the agent reported
    // The exchange directories found open to others: the one Open refused (elevated), or
    // those the run went on with.
    std::vector<DirectoryOpenToOthers> openToOthers;
    bool exportWritten = false;
    std::uint64_t milliseconds = 0;  // from the start to the end of the run, on the sleeper's clock

    // Notes an item that could not be read or reported (also when found by a presenter,
    // after the driver), and how the completed run then ends.
    void Unreported(std::int32_t index, std::string why);
    // How a completed evaluation ends, by its items: the one place that decides it.
    void Conclude();
};
