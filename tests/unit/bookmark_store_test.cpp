#include "bookmarks/bookmark_store.h"
#include "engine/job_table.h"
#include "engine/scan_job.h"
#include "platform/files.h"
#include "support/local_time.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

std::string Record(const std::string& address, int32_t state, int32_t size, int32_t date)
{
    std::string record(284, '\0');
    std::memcpy(record.data(), address.data(), std::min<size_t>(address.size(), 256));
    const int32_t fields[7] = {state, 4, 3, 10, 7, size, date};
    for (int f = 0; f < 7; ++f)
        for (int b = 0; b < 4; ++b) record[256 + 4 * f + b] = static_cast<char>(static_cast<uint32_t>(fields[f]) >> (8 * b));
    return record;
}

class Bookmarks : public ::testing::Test {
protected:
    TempDir dir;
    std::string file = dir.File("Bookmark.dat");
};

TEST_F(Bookmarks, MissingFileLoadsNothing)
{
    EXPECT_TRUE(LoadBookmarks(file.c_str()).empty());
    EXPECT_FALSE(PathExists(file.c_str()));
}

TEST_F(Bookmarks, TwoRecordsAreWrittenExactly)
{
    SCANJOB job{};
    std::strcpy(job.szAddress, "http://h/a");
    job.nState = 3;
    job.nFormat = 2;
    job.nDepth = 1;
    job.nFound = 0x01020304;
    job.nFiles = 5;
    job.nSize = 1000;
    BOOKMARK first = MakeBookmark(job, 1700000000);
    std::strcpy(job.szAddress, "www.example.com/x");
    job.nSize = 5000000000LL;  // past what the record's 32 bits hold: stored as the largest
    BOOKMARK second = MakeBookmark(job, -1);
    ASSERT_TRUE(SaveBookmarks({first, second}, file.c_str()));

    std::string bytes = ReadWholeFile(file);
    ASSERT_EQ(bytes.size(), 568u);
    std::string expected(568, '\0');
    std::memcpy(expected.data(), "http://h/a", 10);
    const unsigned char tail1[28] = {3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 4, 3, 2, 1,
                                     5, 0, 0, 0, 0xE8, 3, 0, 0, 0x00, 0xF1, 0x53, 0x65};
    std::memcpy(expected.data() + 256, tail1, 28);
    std::memcpy(expected.data() + 284, "www.example.com/x", 17);
    const unsigned char tail2[28] = {3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 4, 3, 2, 1,
                                     5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF};
    std::memcpy(expected.data() + 284 + 256, tail2, 28);
    EXPECT_EQ(bytes, expected);

    std::vector<BOOKMARK> loaded = LoadBookmarks(file.c_str());
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_STREQ(loaded[1].szAddress, "www.example.com/x");
    EXPECT_EQ(loaded[1].nSize, 2147483647);
    EXPECT_EQ(loaded[0].tDate, 1700000000);
}

TEST_F(Bookmarks, AtMostAThousandRecordsAndNoShortTail)
{
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += Record("http://h/" + std::to_string(i), 2, i, i);
    WriteWholeFile(file, bytes + std::string(100, 'x'));
    std::vector<BOOKMARK> loaded = LoadBookmarks(file.c_str());
    ASSERT_EQ(loaded.size(), 1000u);
    EXPECT_STREQ(loaded[999].szAddress, "http://h/999");

    for (int i = 1000; i < 1200; ++i) bytes += Record("http://h/" + std::to_string(i), 2, i, i);
    WriteWholeFile(file, bytes);
    loaded = LoadBookmarks(file.c_str());
    ASSERT_EQ(loaded.size(), 1000u);
    EXPECT_EQ(loaded.back().nSize, 999);
}

TEST_F(Bookmarks, AddressWithoutTerminatorEndsAtItsLastByte)
{
    WriteWholeFile(file, Record(std::string(256, 'a'), 7, 1, 1));
    std::vector<BOOKMARK> loaded = LoadBookmarks(file.c_str());
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(std::string(loaded[0].szAddress), std::string(255, 'a'));
    EXPECT_STREQ(JobStateName(loaded[0].nState), "");  // a damaged state shows nothing
    EXPECT_STREQ(JobStateName(3), "Stopped");
}

TEST_F(Bookmarks, FailedSaveKeepsTheOldFile)
{
    WriteWholeFile(file, Record("http://old/", 2, 1, 1));
    char temp[1024];
    ASSERT_TRUE(TempPathFor(file.c_str(), temp, sizeof temp));
    ASSERT_TRUE(std::filesystem::create_directory(temp));
    BOOKMARK b{};
    std::strcpy(b.szAddress, "http://new/");
    EXPECT_FALSE(SaveBookmarks({b}, file.c_str()));
    EXPECT_EQ(ReadWholeFile(file), Record("http://old/", 2, 1, 1));
}

TEST_F(Bookmarks, DateText)
{
    char text[32];
    FormatBookmarkDate(static_cast<int32_t>(LocalTime(2026, 2, 3, 9, 5, 7)), text);
    EXPECT_STREQ(text, "02/03/26 09:05:07");
}

}  // namespace
