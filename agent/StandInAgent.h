#pragma once
// The agent's side of the exchange, without the files: a request document in, an answer
// document out, and an evaluation that advances with time.
#include "agent/ComplianceDocument.h"
#include "agent/FaultPlan.h"

#include <cstdint>
#include <optional>
#include <string>

// The agent's own error codes in "ResponseProgressError".
namespace AgentError {
inline constexpr std::int32_t NoEvaluation = -30;
inline constexpr std::int32_t DocumentNotFound = -31;
inline constexpr std::int32_t DocumentInvalid = -32;
inline constexpr std::int32_t BadName = -33;
inline constexpr std::int32_t ReportsNotAvailable = -22;
}  // namespace AgentError

struct ParsedRequest {
    std::string type;  // "Open", "Close", "Progress" or whatever the document said
    std::string url, document;
    std::uint32_t flags = 0;
};

// Nothing when the text is not a complete request document.
std::optional<ParsedRequest> ParseRequest(std::string_view xml);

class StandInAgent {
public:
    // dataFolder holds __TVKData; a check is evaluated every checkInterval milliseconds.
    StandInAgent(std::string dataFolder, std::uint32_t checkInterval) : data_(std::move(dataFolder)), interval_(checkInterval) {}

    // The answer to request number n (1-based) at time now (milliseconds), faults applied
    // to its content; also returns, for StaleFirst, an answer of another type to show first.
    std::string Answer(const ParsedRequest& request, std::uint32_t n, std::uint64_t now, const FaultPlan& faults,
                       std::string* stale = nullptr);
    // Evaluates the next check when its time has come.
    void Advance(std::uint64_t now);

    // What happened, for the log.
    const std::string& LastEvent() const { return event_; }

private:
    struct Evaluation {
        ComplianceDocument document;
        std::vector<CheckResult> results;
        std::int32_t error = 0;  // the document could not be had
        std::uint64_t nextCheckAt = 0;
    };

    void Open(const ParsedRequest& request, std::uint64_t now);
    std::string ProgressBody(std::uint32_t n, const FaultPlan& faults) const;

    std::string data_;
    std::uint32_t interval_;
    std::optional<Evaluation> evaluation_;
    std::string event_;
};

// The answer document: root, ResponseType, the given elements; raw UTF-8, "&", "<" and ">" escaped.
std::string ResponseDocument(std::string_view type, std::string_view body, const FaultPlan& faults, std::uint32_t n);
std::string ItemElement(const CheckResult& item);
