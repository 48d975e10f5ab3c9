#pragma once
// One exchange with the agent: write the request, wait for the agent to take it, read its answer.
#include "compliance/ComplianceTypes.h"

#include <cstdint>

// Success with the answer in `response`; RequestNotWritten, RequestNotTaken (within 10
// seconds), NoReadableAnswer (taken, but no readable answer of the request's type came),
// or ExchangeFailed for any other failure (compliance/ResultCodes.h). The waits (1000, 2000, 4000
// and 3000 ms) go through the sleeper in force.
std::int32_t ExchangeRequest(const ComplianceRequest& request, ComplianceResponse& response);
