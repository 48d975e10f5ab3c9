#include "compliance/Exchange.h"

#include "compliance/RequestFile.h"
#include "compliance/ResultCodes.h"
#include "files/Sleeper.h"

std::int32_t ExchangeRequest(const ExchangePlaces& places, const ComplianceRequest& request, ReadResponse& answer)
{
    try {
        answer.file.reset();
        answer.response.Reset(request.kind);
        FILETIME published{};
        try {
            published = WriteRequestFile(places.requests, request);
        } catch (...) {
            return ComplianceResult::RequestNotWritten;
        }
        const ResponseReading reading{places.responses, published, places.answerSizeLimit, places.watcher};
        constexpr std::uint32_t budget = 10000;
        std::uint32_t elapsed = 0, step = 1000;
        bool taken = false;
        while (elapsed < budget) {
            const std::uint32_t pause = elapsed + step > budget ? budget - elapsed : step;
            Pause(pause);
            elapsed += pause;
            step *= 2;
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
        return taken ? ComplianceResult::NoReadableAnswer : ComplianceResult::RequestNotTaken;
    } catch (...) {
        return ComplianceResult::ExchangeFailed;
    }
}
