#include "files/LocalPath.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LocalPath, OnlyAbsolutePathsOnALocalDriveNameADirectoryToWorkIn)
{
    const struct {
        const char* text;
        const char* why;  // null: accepted
    } cases[] = {
        {"C:\\ProgramData\\Quorlan\\VerimarkAPI\\Requests", nullptr},
        {"c:/ProgramData/Requests/", nullptr},
        {"C:\\\\ProgramData\\\\Requests", nullptr},
        {"\\\\?\\C:\\ProgramData\\Requests", nullptr},
        {"C:\\Program Files\\a.b\\Requests", nullptr},
        {"", "an empty path"},
        {"Requests", "a relative path"},
        {"C:Requests", "a relative path"},
        {"\\ProgramData\\Requests", "a relative path"},
        {"/ProgramData/Requests", "a relative path"},
        {"C:", "a relative path"},
        {"C:\\", "a drive's root"},
        {"C:\\\\", "a drive's root"},
        {"C:\\ProgramData\\..\\Windows", "a path with a \".\" or \"..\" component"},
        {"C:\\ProgramData\\.\\Requests", "a path with a \".\" or \"..\" component"},
        {"C:\\ProgramData\\Requests\\..", "a path with a \".\" or \"..\" component"},
        {"\\\\server\\share\\Requests", "a UNC path"},
        {"//server/share/Requests", "a UNC path"},
        {"\\\\?\\UNC\\server\\share\\Requests", "a device path"},
        {"\\\\.\\C:\\ProgramData", "a device path"},
        {"\\\\.\\pipe\\agent", "a device path"},
        {"//./C:/ProgramData", "a device path"},
        {"\\\\?\\GLOBALROOT\\Device\\HarddiskVolumeShadowCopy1\\x", "a device path"},
        {"\\??\\C:\\ProgramData", nullptr},
        {"\\??\\GLOBALROOT\\Device\\Mup\\x", "a device path"},
        {"\\\\?\\Volume{01234567-89ab-cdef-0123-456789abcdef}\\x", "a device path"},
        {"C:\\ProgramData\\NUL", "a path through a device name"},
        {"C:\\ProgramData\\com1.txt\\x", "a path through a device name"},
        {"C:\\ProgramData\\Con", "a path through a device name"},
        {"C:\\ProgramData\\CONSOLE", nullptr},
        {"C:\\ProgramData\\COM", nullptr},
        // Superscript digits, and blanks before the extension, name devices too.
        {"C:\\ProgramData\\COM\xC2\xB9", "a path through a device name"},
        {"C:\\ProgramData\\lpt\xC2\xB3.log\\x", "a path through a device name"},
        {"C:\\ProgramData\\COM\xC2\xB4", nullptr},
        {"C:\\ProgramData\\COM12", nullptr},
        {"C:\\ProgramData\\NUL .txt", "a path through a device name"},
        {"C:\\ProgramData\\AUX  .x\\y", "a path through a device name"},
        {"C:\\ProgramData\\Requests:stream", "a path holding a character no name may hold"},
        {"C:\\ProgramData\\Req?ests", "a path holding a character no name may hold"},
        {"C:\\ProgramData\\Req\tests", "a path holding a character no name may hold"},
        {"C:\\ProgramData\\Requests.", "a path whose component ends in a dot or a blank"},
        {"C:\\ProgramData\\Requests ", "a path whose component ends in a dot or a blank"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const char* why = WhyNotAbsoluteLocalPath(U8String(std::string_view(c.text)));
        if (!c.why)
            EXPECT_EQ(why, nullptr) << why;
        else
            EXPECT_STREQ(why, c.why);
    }
}

}  // namespace
