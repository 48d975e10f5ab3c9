// Host program run at configure time: prints the names that ICU gives its UErrorCode
// values as C++ table rows { code, "NAME" }, one range after the other.
#include <unicode/utypes.h>

#include <cstdio>
#include <cstring>

int main()
{
    // First code of each published range; a range ends where ICU stops naming codes.
    const long starts[] = {U_ERROR_WARNING_START, U_ZERO_ERROR,           U_PARSE_ERROR_START,
                           U_FMT_PARSE_ERROR_START, U_BRK_ERROR_START,    U_REGEX_ERROR_START,
                           U_IDNA_ERROR_START,      U_PLUGIN_ERROR_START};
    const char* bogus = u_errorName(static_cast<UErrorCode>(0x7fffffff));
    std::printf("// Generated from ICU %s by cmake/IcuErrorNamesGenerator.cpp.\n", U_ICU_VERSION);
    for (long start : starts) {
        for (long code = start;; ++code) {
            const char* name = u_errorName(static_cast<UErrorCode>(code));
            if (name == nullptr || std::strcmp(name, bogus) == 0)
                break;
            std::printf("{%ld, \"%s\"},\n", code, name);
        }
    }
    return 0;
}
