#pragma once
// What one result item says, as scripts and reports read it: passed when its result is
// "True"; could not be evaluated ("error") when its result type is "error" in any letter
// case or its result begins with "Error"; failed otherwise. And its evaluation time as a
// number, when the agent's text is one.
#include <cstdint>
#include <optional>
#include <string_view>

enum class ItemStatus { Passed, Failed, Error };

ItemStatus StatusOf(std::string_view result, std::string_view resultType);
// An item's: one that could not be read or reported is an error.
struct ListedItem;
ItemStatus StatusOf(const ListedItem& item);
// "passed", "failed" or "error".
const char* StatusName(ItemStatus status);
// The microseconds of an evaluation time given as a whole decimal number (digits only,
// as the agent writes it); nothing for any other text, or one too large to hold.
std::optional<std::int64_t> EvaluationMicroseconds(std::string_view text);
