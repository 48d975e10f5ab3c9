#include "text/DataFilter.h"

#include <algorithm>
#include <cstring>

void DataFilter::Filter(ConstByteRange& input, ByteRange& output)
{
    const std::size_t room = output.Empty() ? 0 : static_cast<std::size_t>(output.last - output.first);
    const std::size_t n = std::min(input.Length(), room);
    if (n)
        std::memcpy(output.first, input.first, n);
    input.first += n;
    output.first += n;
}

namespace {

template <char From, char To>
void MapLetters(ConstByteRange& input, ByteRange& output)
{
    while (!input.Empty() && !output.Empty()) {
        const char c = *input.first++;
        *output.first++ = (c >= From && c <= From + 25) ? static_cast<char>(c - From + To) : c;
    }
}

}  // namespace

namespace Ascii {

void CaseLoweringFilter::Filter(ConstByteRange& input, ByteRange& output) { MapLetters<'A', 'a'>(input, output); }
void CaseRaisingFilter::Filter(ConstByteRange& input, ByteRange& output) { MapLetters<'a', 'A'>(input, output); }

}  // namespace Ascii
