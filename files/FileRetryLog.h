#pragma once
// Told about retried file operations. Both hooks do nothing here; a caller that wants a
// record of retries passes a derived log.
#include "text/UString.h"

#include <cstdint>
#include <functional>

class FileLocation;

class FileRetryLog {
public:
    // Succeeded on attempt `attempts` (2 to 9). `second` is null for one-location operations.
    virtual void RetrySucceeded(U8String label, const FileLocation& first, const FileLocation* second,
                                std::uint32_t attempts);
    // The last attempt (9) failed; its exception goes on to the caller.
    virtual void RetryGaveUp(U8String label, const FileLocation& first, const FileLocation* second,
                             std::uint32_t attempts);

protected:
    ~FileRetryLog() = default;
};

// The plain log every caller in the system passes.
class SilentFileRetryLog final : public FileRetryLog {
};

// Runs `attempt` up to 9 times with pauses of 40 ms doubling to 5120 ms between them,
// while another process (the agent, a scanner, an indexer) holds the file. An empty
// location fails at once, without a retry or a log call.
void RetryFileOperation(U8String label, const FileLocation& first, const FileLocation* second, FileRetryLog& log,
                        const std::function<void()>& attempt);
