#include "files/FileRetryLog.h"

#include "files/FileIOError.h"
#include "files/FileLocation.h"
#include "files/Sleeper.h"

void FileRetryLog::RetrySucceeded(U8String, const FileLocation&, const FileLocation*, std::uint32_t) {}
void FileRetryLog::RetryGaveUp(U8String, const FileLocation&, const FileLocation*, std::uint32_t) {}

void RetryFileOperation(U8String label, const FileLocation& first, const FileLocation* second, FileRetryLog& log,
                        const std::function<void()>& attempt)
{
    constexpr std::uint32_t maxAttempts = 9;
    std::uint32_t attempts = 1;
    std::uint32_t pause = 40;
    for (;;) {
        try {
            if (first.Empty() || (second && second->Empty()))
                throw EmptyFileLocationError();
            attempt();
        } catch (const EmptyFileLocationError&) {
            throw;
        } catch (...) {
            if (attempts >= maxAttempts) {
                log.RetryGaveUp(label, first, second, attempts);
                throw;
            }
            ++attempts;
            Pause(pause);
            pause *= 2;
            continue;
        }
        if (attempts != 1)
            log.RetrySucceeded(label, first, second, attempts);
        return;
    }
}
