#pragma once
// The two system calls behind every conversion, sized in two passes so that the result
// is allocated exactly (inline up to 64 units).
#include "text/CopiedUString.h"
#include "text/Win32.h"

#include <limits>
#include <stdexcept>

namespace SystemConversion {

inline int UnitCount(std::size_t length)
{
    if (length > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw std::length_error("text too long to convert");
    return static_cast<int>(length);
}

// Calls `convert(output, capacity)` once to size and once to fill. `fail()` is called when
// the system reports 0 units for non-empty input; if it returns, the result is empty.
template <class Out, class Convert, class Fail>
CopiedUString<Out> Run(std::size_t inputLength, Convert convert, Fail fail)
{
    if (inputLength == 0)
        return {};
    const int needed = convert(nullptr, 0);
    if (needed <= 0) {
        fail();
        return {};
    }
    auto result = CopiedUString<Out>::WithCapacity(static_cast<std::uint32_t>(needed));
    const int written = convert(result.Begin(), needed);
    if (written <= 0) {
        fail();
        return {};
    }
    result.SetEnd(result.Begin() + written);
    return result;
}

}  // namespace SystemConversion
