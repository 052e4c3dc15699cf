#include "engine/size_text.h"

#include <gtest/gtest.h>

TEST(SizeText, Bounds)
{
    struct Case {
        int64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0KB"},
        {1, "1KB"},
        {-5, "1KB"},
        {INT64_MIN, "1KB"},
        {1023, "1KB"},
        {1024, "1KB"},
        {2047, "1KB"},  // whole KB, cut toward zero
        {2048, "2KB"},
        {1048575, "1023KB"},
        {1048576, "1.00MB"},
        {1500000, "1.43MB"},
        {1073741823, "1024.00MB"},  // just below 1 GB rounds up in the text
        {1073741824, "1.00GB"},
        {2147483647, "2.00GB"},
        {5368709120LL, "5.00GB"},  // past 2 GiB: 64-bit counts
        {INT64_MAX, "8589934592.00GB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        char out[kSizeTextSize];
        EXPECT_STREQ(SizeText(c.bytes, out), c.text);
    }
}
