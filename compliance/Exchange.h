#pragma once
// One exchange with the agent: write the request, wait for the agent to take it, read its answer.
#include "compliance/ComplianceTypes.h"
#include "compliance/ResponseFile.h"

#include <cstdint>
#include <functional>
#include <optional>

// Where an exchange happens and how its answers are read.
struct ExchangePlaces {
    const PinnedDirectory& requests;
    const PinnedDirectory& responses;
    std::uint64_t answerSizeLimit = AnswerSizeLimit;
    ResponseReadWatcher* watcher = nullptr;
};

// How long an exchange may wait, beside its own 10 seconds: until `deadline` on the
// sleeper's clock, and no longer than `afterStop` milliseconds once the sleeper is asked
// to stop. A wait cut short ends the exchange as the 10 seconds running out do. When
// `agentGone` is given, it is asked before the request is written and every second of the
// waits: an agent that is gone gets no request, and one that goes meanwhile ends the wait
// within a second, its request withdrawn (the pauses for a live agent stay the same).
struct ExchangeBounds {
    std::optional<std::uint64_t> deadline;
    std::uint32_t afterStop = 0;
    std::function<bool()> agentGone;
};

// Success with the answer, and its file still open, in `answer`; RequestNotWritten,
// RequestNotTaken (within 10 seconds), NoReadableAnswer (taken, but no readable answer of
// the request's type, written after the request, came), or ExchangeFailed for any other
// failure (compliance/ResultCodes.h). The waits (1000, 2000, 4000 and 3000 ms) go through
// the sleeper in force. An Open request the agent never took is withdrawn before the
// exchange ends, so that no later agent starts an evaluation nobody will close, as is any
// request left by an agent that is gone; one the agent took at the last moment counts as
// taken.
std::int32_t ExchangeRequest(const ExchangePlaces& places, const ComplianceRequest& request, ReadResponse& answer,
                             const ExchangeBounds& bounds = {});
