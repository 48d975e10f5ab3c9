#pragma once
// One exchange with the agent: write the request, wait for the agent to take it, read its answer.
#include "compliance/ComplianceTypes.h"
#include "compliance/ResponseFile.h"

#include <cstdint>

// Where an exchange happens and how its answers are read.
struct ExchangePlaces {
    const PinnedDirectory& requests;
    const PinnedDirectory& responses;
    std::uint64_t answerSizeLimit = AnswerSizeLimit;
    ResponseReadWatcher* watcher = nullptr;
};

// Success with the answer, and its file still open, in `answer`; RequestNotWritten,
// RequestNotTaken (within 10 seconds), NoReadableAnswer (taken, but no readable answer of
// the request's type, written after the request, came), or ExchangeFailed for any other
// failure (compliance/ResultCodes.h). The waits (1000, 2000, 4000 and 3000 ms) go through
// the sleeper in force.
std::int32_t ExchangeRequest(const ExchangePlaces& places, const ComplianceRequest& request, ReadResponse& answer);
