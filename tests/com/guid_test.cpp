#include "platform/com/guid.h"

#include <gtest/gtest.h>

namespace kvn::com {
namespace {

TEST(Guid, FormatsAndParsesTheRegistryForm)
{
    constexpr Guid outlookApplication = guidOf("{00063001-0000-0000-c000-000000000046}");
    EXPECT_EQ(outlookApplication.data1, 0x00063001u);
    EXPECT_EQ(outlookApplication.data4[0], 0xC0);
    EXPECT_EQ(outlookApplication.data4[7], 0x46);
    EXPECT_EQ(formatGuid(outlookApplication), "{00063001-0000-0000-C000-000000000046}");

    const std::string text = "{6A22F8F8-E4D5-4B36-9F95-488CF112DFBC}";
    const auto parsed = parseGuid(text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(formatGuid(*parsed), text);
    EXPECT_EQ(parsed->data2, 0xE4D5);
    EXPECT_EQ(parsed->data3, 0x4B36);
    EXPECT_NE(*parsed, outlookApplication);
}

TEST(Guid, RefusesEverythingButTheBracedForm)
{
    for (const char* bad : {"", "6A22F8F8-E4D5-4B36-9F95-488CF112DFBC", "{6A22F8F8-E4D5-4B36-9F95-488CF112DFBC",
             "{6A22F8F8E4D5-4B36-9F95-488CF112DFBC0}", "{6A22F8F8-E4D5-4B36-9F95-488CF112DFBG}",
             "{6A22F8F8-E4D5-4B36-9F95-488CF112DFBC} ", " {6A22F8F8-E4D5-4B36-9F95-488CF112DFBC}",
             "{6A22F8F8-E4D5-4B36-9F95+488CF112DFBC}", "{-A22F8F8-E4D5-4B36-9F95-488CF112DFBC}"})
        EXPECT_FALSE(parseGuid(bad)) << bad;
    EXPECT_FALSE(parseGuid(std::string("{6A22F8F8-E4D5-4B36-9F95-488CF112DF\0C}", 38)));
}

} // namespace
} // namespace kvn::com
