#include "run/ItemStatus.h"

#include "run/RunReport.h"

#include <limits>

namespace {

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

}  // namespace

ItemStatus StatusOf(std::string_view result, std::string_view resultType)
{
    if (result == "True")
        return ItemStatus::Passed;
    if (EqualIgnoringAsciiCase(resultType, "error") || result.starts_with("Error"))
        return ItemStatus::Error;
    return ItemStatus::Failed;
}

ItemStatus StatusOf(const ListedItem& item)
{
    return item.problem.empty() ? StatusOf(item.result, item.resultType) : ItemStatus::Error;
}

const char* StatusName(ItemStatus status)
{
    switch (status) {
    case ItemStatus::Passed:
        return "passed";
    case ItemStatus::Error:
        return "error";
    case ItemStatus::Failed:
        break;
    }
    return "failed";
}

std::optional<std::int64_t> EvaluationMicroseconds(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}
