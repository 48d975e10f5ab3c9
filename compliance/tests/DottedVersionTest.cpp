#include "compliance/DottedVersion.h"

#include <gtest/gtest.h>

namespace {

bool Passes(std::string_view text) { return VersionAtLeast(MinimumAgentVersion, ParseDottedVersion(text)); }

TEST(DottedVersion, MinimumIs418ComparedOverTheSharedComponents)
{
    for (const char* ok : {"4.1.8", "4.1.8.0", "4.2", "10.0.1", "4.1", "5", "4,1,9", "65535"})
        EXPECT_TRUE(Passes(ok)) << ok;
    for (const char* old : {"4.1.7", "4.0.99.99", "3.9", "4.1.7.9", "4..8"})
        EXPECT_FALSE(Passes(old)) << old;
}

TEST(DottedVersion, InvalidTextsReadAsZero)
{
    for (const char* bad : {"4.1.8.0.1", "4.x", "70000.1", "", " 4.1.8", "4.1.8 "}) {
        const DottedVersion v = ParseDottedVersion(bad);
        EXPECT_EQ(v.count, 4u) << bad;
        EXPECT_EQ(v.components[0] + v.components[1] + v.components[2] + v.components[3], 0u) << bad;
        EXPECT_FALSE(Passes(bad)) << bad;
    }
}

TEST(DottedVersion, EmptyComponentsCount)
{
    const DottedVersion v = ParseDottedVersion("4..8");
    EXPECT_EQ(v.count, 3u);
    EXPECT_EQ(v.components[0], 4u);
    EXPECT_EQ(v.components[1], 0u);
    EXPECT_EQ(v.components[2], 8u);
    EXPECT_EQ(ParseDottedVersion("1.2.3.4").count, 4u);
    EXPECT_EQ(ParseDottedVersion("7.").count, 2u);
}

}  // namespace
