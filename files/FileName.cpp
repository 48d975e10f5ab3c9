#include "files/FileName.h"

#include <cstring>

FileName::FileName(U8String text)
{
    const std::size_t n = text.Length();
    if (n == 0 || n > 256)
        return;
    if (text.View() == "." || text.View() == "..")
        throw IllegalFileNameReserved();
    for (const char* p = text.first; p != text.last; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if ((c >= 1 && c <= 31) || (c != 0 && std::strchr("\"*/:<>?\\|", c)))
            throw IllegalFileName();
    }
    text_ = CopiedU8String(text);
}
