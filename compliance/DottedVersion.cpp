#include "compliance/DottedVersion.h"

#include <algorithm>

DottedVersion ParseDottedVersion(std::string_view text)
{
    const DottedVersion invalid;
    DottedVersion version;
    version.count = 0;
    std::uint32_t current = 0, accumulator = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool atEnd = i == text.size();
        const char c = atEnd ? '\0' : text[i];
        if (!atEnd && c >= '0' && c <= '9') {
            accumulator = accumulator * 10 + static_cast<std::uint32_t>(c - '0');
            if (accumulator > 65535)
                return invalid;
            current = accumulator;
        } else if (atEnd || c == '.' || c == ',') {
            if (version.count == 4)
                return invalid;
            version.components[version.count++] = current;
            current = accumulator = 0;
            if (version.count == 4 && !atEnd)
                return invalid;
        } else {
            return invalid;
        }
    }
    if (text.empty())
        return invalid;
    return version;
}

bool VersionAtLeast(const DottedVersion& minimum, const DottedVersion& installed)
{
    const std::uint32_t n = std::min(minimum.count, installed.count);
    for (std::uint32_t i = 0; i < n; ++i) {
        if (installed.components[i] > minimum.components[i])
            return true;
        if (installed.components[i] < minimum.components[i])
            return false;
    }
    return true;
}
