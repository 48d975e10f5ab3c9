#include "files/RandomName.h"

#include "errors/WindowsError.h"
#include "text/Win32.h"

#include <ntsecapi.h>

#include <cstdint>
#include <algorithm>
#include <utility>

namespace {

ScopedFixedNamePart* fixedPart = nullptr;

}  // namespace

std::string RandomNamePart()
{
    if (fixedPart)
        return fixedPart->Next();
    std::uint8_t bytes[8];
    if (!RtlGenRandom(bytes, sizeof bytes))
        throw Windows::Error(ERROR_GEN_FAILURE);
    static constexpr char digits[] = "0123456789abcdef";
    std::string part;
    for (const std::uint8_t b : bytes) {
        part += digits[b >> 4];
        part += digits[b & 0xF];
    }
    return part;
}

ScopedFixedNamePart::ScopedFixedNamePart(std::vector<std::string> parts)
    : parts_(std::move(parts)), previous_(fixedPart)
{
    fixedPart = this;
}

ScopedFixedNamePart::~ScopedFixedNamePart() { fixedPart = previous_; }

std::string ScopedFixedNamePart::Next()
{
    if (parts_.empty())
        return {};
    return parts_[std::min(next_++, parts_.size() - 1)];
}
