#pragma once
// The records one exchange with the agent is made of.
#include "xml/CompactText.h"
#include "xml/TreeArena.h"

#include <memory>

#include <cstdint>
#include <string_view>
#include <vector>

enum class ComplianceRequestType : std::int32_t { Open = 0, Close = 1, Progress = 2 };

// "Open", "Close" or "Progress", as the documents spell them.
std::string_view RequestTypeText(ComplianceRequestType kind);

struct ComplianceRequest {
    ComplianceRequestType kind = ComplianceRequestType::Progress;
    CompactText url;       // Open only
    CompactText document;  // Open only
    std::int32_t flags = 0;
};

// Six UTF-8 texts, stored exactly as the response document gave them. Texts read from a
// response may be kept in the response's text storage.
struct ComplianceResultItem {
    CompactText designator;
    CompactText result;
    CompactText resultType;
    CompactText evaluationTime;
    CompactText description;
    CompactText comment;
};

struct ComplianceResponse {
    ComplianceRequestType kind = ComplianceRequestType::Progress;
    // Where the longer texts of the items are kept: the tree they were parsed into.
    std::shared_ptr<const TreeArena> texts;
    std::vector<ComplianceResultItem> items;
    std::int32_t progressError = 0;
    std::int32_t progressPercent = 0;
    std::int32_t progressState = 2;  // 1 complete, 2 error, 3 in progress

    // Kind Progress, no items, error 0, percent 0, state 2.
    void Clear() { Reset(ComplianceRequestType::Progress); }
    void Reset(ComplianceRequestType newKind)
    {
        kind = newKind;
        items.clear();
        items.shrink_to_fit();
        texts.reset();
        progressError = progressPercent = 0;
        progressState = 2;
    }
};
