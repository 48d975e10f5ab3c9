#pragma once
// Generated agent responses for the benchmarks: a complete Progress response with n items
// of six texts each, realistic lengths, some entities and some non-ASCII text.
#include <cstdint>
#include <string>
#include <string_view>

std::string MakeResponseDocument(std::uint32_t items);

// The shapes that would cost a careless reader most, each tens of megabytes: "attributes"
// (tags packed with attributes), "nesting" (millions of nested elements), "huge-text"
// (one item whose comment is most of the document), "empty-items" (millions of items
// with nothing in them), "ignored-text" (most of the document one text nobody reads).
std::string MakeWorstDocument(std::string_view shape);
inline constexpr const char* worstShapes[] = {"attributes", "nesting", "huge-text", "empty-items", "ignored-text"};
