#pragma once
// The records one exchange with the agent is made of.
#include "compliance/ComplianceItems.h"
#include "xml/CompactText.h"

#include <cstdint>
#include <string_view>

enum class ComplianceRequestType : std::int32_t { Open = 0, Close = 1, Progress = 2 };

// "Open", "Close" or "Progress", as the documents spell them.
std::string_view RequestTypeText(ComplianceRequestType kind);

struct ComplianceRequest {
    ComplianceRequestType kind = ComplianceRequestType::Progress;
    CompactText url;       // Open only
    CompactText document;  // Open only
    std::int32_t flags = 0;
};

struct ComplianceResponse {
    ComplianceRequestType kind = ComplianceRequestType::Progress;
    ComplianceItems items;
    std::int32_t progressError = 0;
    std::int32_t progressPercent = 0;
    std::int32_t progressState = 2;  // 1 complete, 2 error, 3 in progress

    // Kind Progress, no items, error 0, percent 0, state 2.
    void Clear() { Reset(ComplianceRequestType::Progress); }
    void Reset(ComplianceRequestType newKind)
    {
        kind = newKind;
        items.Clear();
        progressError = progressPercent = 0;
        progressState = 2;
    }
};
