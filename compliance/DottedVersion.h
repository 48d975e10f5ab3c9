#pragma once
// Dotted version numbers such as 4.1.8.
#include <cstdint>
#include <string_view>

struct DottedVersion {
    std::uint32_t components[4] = {0, 0, 0, 0};
    std::uint32_t count = 4;
};

// One to four components of at most 65535, separated by "." or ","; empty components
// count as 0. An empty or invalid text gives 0.0.0.0 with count 4.
DottedVersion ParseDottedVersion(std::string_view text);
// Compares as many components as both have; equal so far means "at least".
bool VersionAtLeast(const DottedVersion& minimum, const DottedVersion& installed);

inline constexpr DottedVersion MinimumAgentVersion{{4, 1, 8, 0}, 3};
