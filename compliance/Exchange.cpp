#include "compliance/Exchange.h"

#include "compliance/RequestFile.h"
#include "compliance/ResultCodes.h"
#include "files/Sleeper.h"

#include <algorithm>

std::int32_t ExchangeRequest(const ExchangePlaces& places, const ComplianceRequest& request, ReadResponse& answer,
                             const ExchangeBounds& bounds)
{
    try {
        answer.file.reset();
        answer.response.Reset(request.kind);
        if (bounds.agentGone && bounds.agentGone())
            return ComplianceResult::RequestNotTaken;  // nobody would take it
        PublishedRequest published;
        try {
            published = WriteRequestFile(places.requests, request);
        } catch (...) {
            return ComplianceResult::RequestNotWritten;
        }
        const ResponseReading reading{places.responses, published.written, places.answerSizeLimit, places.watcher};
        Sleeper& sleeper = CurrentSleeper();
        constexpr std::uint32_t budget = 10000;
        std::uint32_t elapsed = 0, step = 1000;
        std::optional<std::uint64_t> deadline = bounds.deadline;
        bool taken = false, cut = false, stopSeen = false, gone = false;
        constexpr std::uint32_t agentLook = 1000;  // how often a watched agent is looked for
        while (elapsed < budget && !cut && !gone) {
            std::uint32_t pause = elapsed + step > budget ? budget - elapsed : step;
            const std::uint64_t now = sleeper.Now();
            if (!stopSeen && sleeper.StopRequested()) {
                stopSeen = true;
                if (bounds.afterStop == 0)
                    break;
                deadline = std::min(deadline.value_or(UINT64_MAX), now + bounds.afterStop);
            }
            if (deadline) {
                if (now >= *deadline)
                    break;
                if (*deadline - now < pause) {
                    pause = static_cast<std::uint32_t>(*deadline - now);
                    cut = true;
                }
            }
            if (bounds.agentGone) {
                const Sleeper::Watched watched = sleeper.SleepWatching(pause, !stopSeen, bounds.agentGone, agentLook);
                if (watched.stopped && bounds.afterStop == 0)
                    cut = true;
                pause = watched.waited;  // less when the agent went, or a stop came
                gone = bounds.agentGone();
            } else if (stopSeen) {
                sleeper.Sleep(pause);
            } else if (sleeper.SleepUnlessStopped(pause) && bounds.afterStop == 0) {
                cut = true;
            }
            elapsed += pause;
            step *= 2;
            // After a wait cut short too: one last look.
            if (IsRequestPending(places.requests))
                continue;
            taken = true;
            try {
                ReadResponse read = ReadResponseFile(reading);
                // The answer carries the request's type. Another type is a response left
                // from an earlier exchange: ours is still to come.
                if (read.response.kind != request.kind)
                    continue;
                answer = std::move(read);
                return ComplianceResult::Success;
            } catch (...) {
                // Not there yet, not completely written, or left from before: look again
                // after the next pause. The file is closed, so the agent can write it.
            }
        }
        if (!taken && (request.kind == ComplianceRequestType::Open || gone) &&
            !WithdrawRequest(places.requests, published))
            taken = !IsRequestPending(places.requests);  // it went at the last moment: the agent has it
        return taken ? ComplianceResult::NoReadableAnswer : ComplianceResult::RequestNotTaken;
    } catch (...) {
        return ComplianceResult::ExchangeFailed;
    }
}
