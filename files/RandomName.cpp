#include "files/RandomName.h"

#include "errors/WindowsError.h"
#include "text/Win32.h"

#include <ntsecapi.h>

#include <cstdint>
#include <utility>

namespace {

const std::string* fixedPart = nullptr;

}  // namespace

std::string RandomNamePart()
{
    if (fixedPart)
        return *fixedPart;
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

ScopedFixedNamePart::ScopedFixedNamePart(std::string part) : part_(std::move(part)), previous_(fixedPart)
{
    fixedPart = &part_;
}

ScopedFixedNamePart::~ScopedFixedNamePart() { fixedPart = previous_; }
