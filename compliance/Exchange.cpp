#include "compliance/Exchange.h"

#include "compliance/RequestFile.h"
#include "compliance/ResponseFile.h"
#include "compliance/ResultCodes.h"
#include "files/Sleeper.h"

std::int32_t ExchangeRequest(const ComplianceRequest& request, ComplianceResponse& response)
{
    try {
        response.Reset(request.kind);
        try {
            WriteRequestFile(request);
        } catch (...) {
            return ComplianceResult::RequestNotWritten;
        }
        constexpr std::uint32_t budget = 10000;
        std::uint32_t elapsed = 0, step = 1000;
        bool taken = false;
        while (elapsed < budget) {
            const std::uint32_t pause = elapsed + step > budget ? budget - elapsed : step;
            Pause(pause);
            elapsed += pause;
            step *= 2;
            if (IsRequestPending())
                continue;
            taken = true;
            try {
                ComplianceResponse answer = ReadResponseFile();
                // The answer carries the request's type. Another type is a response left
                // from an earlier exchange: ours is still to come.
                if (answer.kind != request.kind)
                    continue;
                response = std::move(answer);
                return ComplianceResult::Success;
            } catch (...) {
                // Not there yet, or not completely written: look again after the next pause.
            }
        }
        return taken ? ComplianceResult::NoReadableAnswer : ComplianceResult::RequestNotTaken;
    } catch (...) {
        return ComplianceResult::ExchangeFailed;
    }
}
