#pragma once
// A strict JSON reader (RFC 8259) for the tests, written apart from the library the tool
// writes its documents with, so that the one cannot hide the other's faults.
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;  // String: UTF-8
    std::vector<JsonValue> elements;
    std::vector<std::pair<std::string, JsonValue>> members;  // in document order

    // The member of that name; throws when there is none, or when this is no object.
    const JsonValue& operator[](std::string_view name) const;
    bool Has(std::string_view name) const;
    std::vector<std::string> Names() const;
};

// Throws std::runtime_error, with the offset, for anything that is not one JSON value
// (surrounded by white space only), and for text that is not UTF-8.
JsonValue ParseJson(std::string_view text);
