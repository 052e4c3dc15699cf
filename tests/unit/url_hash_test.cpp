#include "engine/url_hash.h"

#include <gtest/gtest.h>

#include <string>

TEST(UrlHash, KnownValues)
{
    struct Case {
        std::string text;
        uint32_t hash;
    } cases[] = {
        {"", 0},
        {"abc", 398},  // 1*65 + 2*66 + 3*67: letter case is ignored
        {"ABC", 398},
        {"\xE9", 1967273},  // the byte counts as -23; the sum wraps to 4,294,967,273
        {"a1", 163},        // digits keep their value: 1*65 + 2*49
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(UrlHash(c.text.c_str()), c.hash);
    }
}

TEST(UrlHash, OnlyTheFirst499CharactersCount)
{
    std::string a(499, 'x');
    std::string b = a + "tail one";
    std::string c = a + "another tail";
    EXPECT_EQ(UrlHash(b.c_str()), UrlHash(a.c_str()));
    EXPECT_EQ(UrlHash(c.c_str()), UrlHash(a.c_str()));
    std::string d(498, 'x');
    EXPECT_NE(UrlHash((d + "y").c_str()), UrlHash(a.c_str()));
}

TEST(UrlHash, HighBytesWrapAndStayInRange)
{
    std::string text(499, '\xFF');  // every byte counts as -1: a large negative sum
    uint32_t hash = UrlHash(text.c_str());
    int32_t sum = -(499 * 500 / 2);
    EXPECT_EQ(hash, static_cast<uint32_t>(sum) % 3000000u);
    EXPECT_LT(hash, kUrlHashRange);
}

TEST(UrlHash, CollidingTextsShareTheirHash)
{
    // "AB" = 65 + 2*66 = 197 and "CA" = 67 + 2*65 = 197: two different addresses, one hash.
    EXPECT_EQ(UrlHash("ab"), UrlHash("ca"));
}
