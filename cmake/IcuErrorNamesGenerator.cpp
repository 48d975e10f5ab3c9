// Writes text/IcuErrorNames.inc: the names that ICU gives the codes of its published
// UErrorCode ranges, as C++ table rows { code, "NAME" }. The table is kept in the sources,
// so that every build names the same codes whatever ICU its machine has; a newer ICU names
// codes past these ranges, and those must stay "[BOGUS UErrorCode]". Run by hand:
//
//   c++ -std=c++17 cmake/IcuErrorNamesGenerator.cpp -licuuc -o /tmp/gen && /tmp/gen > text/IcuErrorNames.inc
//
// It refuses an ICU that does not name every code of the ranges.
#include <unicode/uversion.h>
#include <unicode/utypes.h>

#include <cstdio>
#include <cstring>

int main()
{
    // The published ranges, first and last code, in ICU's order.
    const long ranges[][2] = {{-128, -120},       {0, 31},           {0x10000, 0x10022}, {0x10100, 0x10113},
                              {0x10200, 0x1020D}, {0x10300, 0x10315}, {0x10400, 0x10408}, {0x10500, 0x10501}};
    const char* bogus = u_errorName(static_cast<UErrorCode>(0x7fffffff));
    std::printf("// The names of ICU's published UErrorCode ranges, from ICU %s by\n"
                "// cmake/IcuErrorNamesGenerator.cpp. Every other code is \"[BOGUS UErrorCode]\".\n",
                U_ICU_VERSION);
    for (const auto& range : ranges) {
        for (long code = range[0]; code <= range[1]; ++code) {
            const char* name = u_errorName(static_cast<UErrorCode>(code));
            if (name == nullptr || std::strcmp(name, bogus) == 0) {
                std::fprintf(stderr, "ICU %s does not name code %ld\n", U_ICU_VERSION, code);
                return 1;
            }
            std::printf("{%ld, \"%s\"},\n", code, name);
        }
    }
    return 0;
}
