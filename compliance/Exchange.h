#pragma once
// One exchange with the agent: write the request, wait for the agent to take it, read its answer.
#include "compliance/ComplianceTypes.h"

#include <cstdint>

// 0 with the answer in `response`; -17 when the request could not be written; -3 when the
// agent did not take it within 10 seconds; -7 when it took it but no readable answer of
// the request's type appeared; -16 for any other failure. The waits (1000, 2000, 4000
// and 3000 ms) go through the sleeper in force.
std::int32_t ExchangeRequest(const ComplianceRequest& request, ComplianceResponse& response);
