#pragma once
// The compliance session: from Open to Close it owns the cross-process lock, the two
// exchange directories (opened once, held open), the current response with the file it
// was read from, and the seams tests reach it through. The session API
// (compliance/ComplianceApi.h) is a thin surface over the process's one session.
//
// Calls must not overlap: a session has no lock of its own.
#include "compliance/AgentChecks.h"
#include "compliance/ComplianceFailure.h"
#include "compliance/ComplianceLock.h"
#include "compliance/ResponseFile.h"
#include "files/PinnedDirectory.h"
#include "text/Bstr.h"
#include "text/DataWriter.h"

#include <cstdint>
#include <optional>
#include <vector>

class ComplianceSession {
public:
    // What tests may change: when the reader can be interrupted, and the largest answer.
    struct Seams {
        ResponseReadWatcher* readWatcher = nullptr;
        std::uint64_t answerSizeLimit = AnswerSizeLimit;
    };

    // The one behind the session API.
    static ComplianceSession& Process();

    ComplianceSession() = default;
    ComplianceSession(const ComplianceSession&) = delete;
    ComplianceSession& operator=(const ComplianceSession&) = delete;

    // The session API's operations, with its result codes. A run that has a deadline (on the
    // sleeper's clock, files/Sleeper.h) gives it to each operation: every wait of the
    // operation ends there. A request to stop (the sleeper's) ends the waits of Open and
    // Progress at once, and Close's two seconds later, so that the agent can still take
    // the Close. A wait cut short ends as the 10 seconds running out do.
    using Deadline = std::optional<std::uint64_t>;
    std::int32_t Open(const _bstr_t& url, const _bstr_t& document, std::int32_t flags, Deadline deadline = {});
    std::int32_t Progress(std::int32_t& percent, std::int32_t& error, Deadline deadline = {});
    std::int32_t ResultCount() const;
    std::int32_t GetResult(std::int32_t index, _bstr_t& designator, _bstr_t& result, _bstr_t& resultType,
                           _bstr_t& evaluationTime, _bstr_t& description, _bstr_t& comment) const;
    // Close gets at least closeWait, also when the deadline has passed or a stop was asked for.
    std::int32_t Close(Deadline deadline = {});
    static constexpr std::uint32_t closeWait = 2000;
    // An item's six texts as the answer holds them (views valid until the session moves
    // on), unconverted: ResultsNotReady, NoSuchItem or Success.
    std::int32_t ItemTexts(std::int32_t index, ComplianceResultItem& item) const;

    bool IsOpen() const { return open_; }
    bool HoldsLock() const { return lock_.Held(); }
    bool ResultsReady() const { return resultsReady_; }
    // Whether the error of the last Progress that returned 2 was the agent's own, from its
    // answer, rather than the exchange's code (the two share values: -3, -7).
    bool LastErrorFromAgent() const { return lastErrorFromAgent_; }

    // When Open found a request waiting (RequestWaiting): when that file was last written.
    std::optional<FILETIME> WaitingRequestWritten() const { return waitingRequestWritten_; }
    // The exchange directories the last Open found open to others (compliance/AgentChecks.h):
    // the one it refused, when elevated; those it went on with, otherwise.
    const std::vector<DirectoryOpenToOthers>& DirectoriesOpenToOthers() const { return openToOthers_; }

    // The bytes of the answer the results were read from, whole, into `sink`: held open
    // since, they are the ones parsed, whatever has happened at its name. Throws
    // ResultsNotReadyError before the results are ready, and the file layer's errors.
    void CopyResponse(DataReceiver& sink) const;
    // Where that answer is, while one is held.
    std::optional<FileLocation> ResponseLocation() const;

    Seams& TestSeams() { return seams_; }

private:
    std::int32_t OpenChecked(const _bstr_t& url, const _bstr_t& document, std::int32_t flags, Deadline deadline);
    std::int32_t Exchange(const ComplianceRequest& request, ReadResponse& answer, Deadline deadline,
                          std::uint32_t afterStop = 0);
    std::int32_t ExchangeClose(Deadline deadline);
    void End();

    ComplianceLock lock_;
    std::optional<PinnedDirectory> requests_, responses_;
    ReadResponse current_;
    bool open_ = false;
    bool resultsReady_ = false;
    bool lastErrorFromAgent_ = false;
    std::optional<FILETIME> waitingRequestWritten_;
    std::vector<DirectoryOpenToOthers> openToOthers_;
    Seams seams_;
};

// CopyResponse before the results are ready.
class ResultsNotReadyError : public ComplianceFailure {
public:
    ResultsNotReadyError() : ComplianceFailure("the results are not ready") {}
};
