#include "xml/CompactText.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

void CompactText::Append(U8String text)
{
    const std::size_t n = text.Length();
    if (n == 0)
        return;
    const std::size_t need = std::size_t{length_} + n;
    if (need > UINT32_MAX)
        throw std::length_error("text too long");
    if (need > capacity_) {
        std::size_t grown = capacity_ == 0 ? need : std::max<std::size_t>(need, 2 * std::size_t{capacity_});
        if (grown > UINT32_MAX)
            grown = UINT32_MAX;
        char* bigger = new char[grown];
        if (length_)
            std::memcpy(bigger, bytes_, length_);
        delete[] bytes_;
        bytes_ = bigger;
        capacity_ = static_cast<std::uint32_t>(grown);
    }
    std::memcpy(bytes_ + length_, text.first, n);
    length_ = static_cast<std::uint32_t>(need);
}
