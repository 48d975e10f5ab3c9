#pragma once
// Where a report's text goes, piece by piece, so that no report is ever held whole:
// standard output, a file on its way into place, or a string.
#include "text/DataWriter.h"

#include <cstdio>
#include <string>
#include <string_view>

class ReportSink {
public:
    virtual void Write(std::string_view text) = 0;

protected:
    ~ReportSink() = default;
};

// Collects the text (a document handed out whole, as a script object's).
class StringSink final : public ReportSink {
public:
    void Write(std::string_view text) override { text_ += text; }
    std::string& Text() { return text_; }

private:
    std::string text_;
};

// Into a receiver in pieces of 64 KB; Flush sends what is left.
class ReceiverSink final : public ReportSink {
public:
    explicit ReceiverSink(DataReceiver& receiver) : receiver_(receiver) { buffer_.reserve(capacity); }
    void Write(std::string_view text) override;
    void Flush();

private:
    static constexpr std::size_t capacity = 65536;
    DataReceiver& receiver_;
    std::string buffer_;
};

// Standard output with its bytes untranslated while the sink lives (no CR added before
// LF): a UTF-8 document goes out as it is.
class StandardOutputSink final : public ReportSink {
public:
    StandardOutputSink();
    ~StandardOutputSink();
    StandardOutputSink(const StandardOutputSink&) = delete;
    StandardOutputSink& operator=(const StandardOutputSink&) = delete;
    void Write(std::string_view text) override;

private:
    int previousMode_;
};
