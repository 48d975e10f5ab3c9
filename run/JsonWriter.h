#pragma once
// JSON written as it goes, laid out as a pretty printer lays it out (two spaces per level,
// "key": value, an empty object or array as {} or []), holding only the nesting. Texts are
// UTF-8 and kept as they are, but for the quote, the backslash and the control characters,
// which are escaped.
#include "run/ReportSink.h"

#include <cstdint>
#include <string_view>
#include <vector>

class JsonWriter {
public:
    explicit JsonWriter(ReportSink& sink) : sink_(sink) {}

    // Inside an object, each value is preceded by its key.
    JsonWriter& Key(std::string_view name);
    JsonWriter& Text(std::string_view text);
    JsonWriter& Number(std::int64_t value);
    JsonWriter& Boolean(bool value);
    JsonWriter& Null();
    // Milliseconds as seconds, the shortest decimal form of a floating-point number (2.5, 3.0).
    JsonWriter& Seconds(std::uint64_t milliseconds);
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // Ends what a failure left open down to `depth` open containers (a key without its
    // value gets null), so that what follows is still well-formed.
    void CloseTo(std::size_t depth);

private:
    void BeforeValue();
    void End(char bracket);
    void Indent(std::size_t depth);

    ReportSink& sink_;
    std::vector<std::size_t> counts_;  // the values so far in each open container
    std::vector<char> closers_;        // the bracket that ends each
    bool keyed_ = false;               // a key was written; its value comes next
};

// A text as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view text);
