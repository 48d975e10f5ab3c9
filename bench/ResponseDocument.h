#pragma once
// Generated agent responses for the benchmarks: a complete Progress response with n items
// of six texts each, realistic lengths, some entities and some non-ASCII text.
#include <cstdint>
#include <string>

std::string MakeResponseDocument(std::uint32_t items);
