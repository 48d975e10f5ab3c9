#pragma once
// The agent's response document, "response.xml" in the response directory.
#include "compliance/ComplianceTypes.h"
#include "compliance/ResponseInterpretation.h"
#include "files/FileLocation.h"

#include <cstdint>

// Reads and interprets the response file, streaming it through a fixed buffer. Throws the
// file layer's errors, VerimarkResponseReadFailure for a document not completely written,
// and what InterpretResponse throws.
ComplianceResponse ReadResponseFile();

// The moments at which another process may change the answer under the reader: just
// before the file is opened, and after each window of it has been parsed. Tests put a
// watcher in place to change the file exactly there; the default one does nothing.
class ResponseReadWatcher {
public:
    virtual void BeforeOpen() {}
    virtual void AfterWindow(std::uint64_t bytesRead) { (void)bytesRead; }

protected:
    ~ResponseReadWatcher() = default;
};

// Puts a watcher in place for its own lifetime. Not for use while another thread reads.
class ScopedResponseReadWatcher {
public:
    explicit ScopedResponseReadWatcher(ResponseReadWatcher& watcher);
    ScopedResponseReadWatcher(const ScopedResponseReadWatcher&) = delete;
    ScopedResponseReadWatcher& operator=(const ScopedResponseReadWatcher&) = delete;
    ~ScopedResponseReadWatcher();

private:
    ResponseReadWatcher* previous_;
};

// "ResponseDir" as a location, read at every use; empty when missing, not a string or empty.
FileLocation ResponseDirectory();
