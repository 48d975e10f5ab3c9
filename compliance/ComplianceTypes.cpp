#include "compliance/ComplianceTypes.h"

std::string_view RequestTypeText(ComplianceRequestType kind)
{
    switch (kind) {
    case ComplianceRequestType::Open: return "Open";
    case ComplianceRequestType::Close: return "Close";
    case ComplianceRequestType::Progress: return "Progress";
    }
    return "Progress";
}
