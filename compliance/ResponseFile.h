#pragma once
// The agent's response document, "response.xml" in the response directory.
#include "compliance/ComplianceTypes.h"
#include "compliance/ResponseInterpretation.h"
#include "files/FileReadingPath.h"
#include "files/PinnedDirectory.h"

#include <cstdint>
#include <memory>

// The answer is older than the request it would answer: one left from before.
class VerimarkResponseStale : public ComplianceFailure {
public:
    VerimarkResponseStale() : ComplianceFailure("the response is older than the request") {}
};
// The answer's owner is not one the agent can be (compliance/AnswerOwner.h): someone else
// put it there. It is not read.
class VerimarkResponseUntrusted : public ComplianceFailure {
public:
    VerimarkResponseUntrusted() : ComplianceFailure("the response was not written by the agent") {}
};
// The answer is larger than any answer may be; it is not read.
struct VerimarkResponseTooLarge : ComplianceFailure {
    VerimarkResponseTooLarge(std::uint64_t size, std::uint64_t limit)
        : ComplianceFailure("the response is larger than any answer may be"), size(size), limit(limit)
    {
    }
    std::uint64_t size = 0;
    std::uint64_t limit = 0;
};

// The most one answer may hold. A million items, the largest answers seen, take about
// 350 MB; a 64-bit process takes up to three times that. A 32-bit process, whose address
// space is 2 GB and shared with its host (a script engine), takes half as much, which still
// holds a million items.
inline constexpr std::uint64_t AnswerSizeLimit = sizeof(void*) == 8 ? std::uint64_t{1} << 30 : std::uint64_t{1} << 29;

// The moments at which another process may change the answer under the reader: just
// before the file is opened, and after each window of it has been parsed. Tests put a
// watcher there to change the file exactly then.
class ResponseReadWatcher {
public:
    virtual void BeforeOpen() {}
    virtual void AfterWindow(std::uint64_t bytesRead) { (void)bytesRead; }

protected:
    ~ResponseReadWatcher() = default;
};

struct ResponseReading {
    const PinnedDirectory& directory;
    FILETIME notBefore{};  // answers last written before this are stale; zero: no such rule
    std::uint64_t sizeLimit = AnswerSizeLimit;
    ResponseReadWatcher* watcher = nullptr;
};

// A response and the file it was read from, still open: shared with readers only, the
// file cannot change or be replaced while it is held, so its bytes stay the ones parsed.
struct ReadResponse {
    ComplianceResponse response;
    std::unique_ptr<WindowsPlatform::FileReadingPath> file;
};

// Reads and interprets the response file through one handle that follows no link,
// streaming it through a fixed buffer. Throws the file layer's errors (LinkedFileError for
// a link, a file with more than one name, or a path that resolves elsewhere),
// VerimarkResponseUntrusted, VerimarkResponseTooLarge, VerimarkResponseStale, VerimarkResponseReadFailure for a
// document not completely written, and what InterpretResponse throws.
ReadResponse ReadResponseFile(const ResponseReading& reading);
