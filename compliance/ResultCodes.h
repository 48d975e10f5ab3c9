#pragma once
// Every result code of the session API (compliance/ComplianceApi.h), in order, each with
// its one meaning and the operations that return it. A value with two meanings has two
// names. Progress reports the exchange codes (-3, -6, -7, -16, -17) through its error
// output, beside the agent's own codes.
#include <cstdint>

namespace ComplianceResult {

inline constexpr std::int32_t Success = 0;                  // Open, GetResult, Close
inline constexpr std::int32_t ProgressComplete = 1;         // Progress: the evaluation is done, the results are ready
inline constexpr std::int32_t ProgressError = 2;            // Progress: an error; the error output says which
inline constexpr std::int32_t ProgressRunning = 3;          // Progress: the evaluation runs; the percent output is set
inline constexpr std::int32_t VersionMissing = -1;          // Open: "Version" is missing, not a string, or empty
inline constexpr std::int32_t AgentNotRunning = -2;         // Open: the agent's mutex is missing
inline constexpr std::int32_t RequestNotTaken = -3;         // the agent did not take the request within 10 seconds
inline constexpr std::int32_t DirectoryValueMissing = -4;   // Open: "RequestDir" or "ResponseDir" is missing or empty
inline constexpr std::int32_t RequestWaiting = -5;          // Open: a request already waits in the request directory
inline constexpr std::int32_t LockHeldElsewhere = -6;       // Open: another process holds the compliance lock
inline constexpr std::int32_t NoSessionOpen = -6;           // Close, Progress: no session is open
inline constexpr std::int32_t NoReadableAnswer = -7;        // the request was taken, no readable answer of its type came within 10 seconds
inline constexpr std::int32_t UnknownProgressState = -7;    // Progress: the answer's progress state is not 1, 2 or 3
inline constexpr std::int32_t ResultsNotReady = -8;         // ResultCount, GetResult
inline constexpr std::int32_t VersionTooOld = -9;           // Open: the agent's version is below 4.1.8
inline constexpr std::int32_t SessionAlreadyOpen = -15;     // Open: this process has a session open
inline constexpr std::int32_t ExchangeFailed = -16;         // an unexpected failure in the agent checks or the exchange
inline constexpr std::int32_t RequestNotWritten = -17;      // the request could not be written (or its texts are not UTF-16)
inline constexpr std::int32_t OperationFailed = -19;        // Progress, Close, GetResult: an unexpected failure in the operation
inline constexpr std::int32_t NoSuchItem = -20;             // GetResult: the index is not below the number of items
inline constexpr std::int32_t DirectoryUnusable = -23;      // Open: a directory's parent is missing, or the value names no directory that can be worked in safely
inline constexpr std::int32_t DirectoryRefused = -25;       // Open: creating a directory was refused
inline constexpr std::int32_t TextNotUtf8 = -26;            // GetResult: one of the item's texts is not valid UTF-8
inline constexpr std::int32_t DirectoryOpenToOthers = -27;  // Open, elevated: someone untrusted may write in a directory

// Of the agent's own codes in Progress's error output, the one callers tell apart.
inline constexpr std::int32_t AgentReportsNotAvailable = -22;

}  // namespace ComplianceResult
