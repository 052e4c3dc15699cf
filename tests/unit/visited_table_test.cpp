#include "engine/scan_job.h"
#include "engine/url_hash.h"
#include "engine/visited_table.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(VisitedTable, FreshTableHasNothingMarked)
{
    SCANJOB job{};
    ASSERT_TRUE(MakeVisitedTable(&job));
    for (uint32_t h : {0u, 1u, 7u, 8u, 1234567u, kUrlHashRange - 1})
        EXPECT_EQ(IsVisited(&job, h), 0) << h;
    ReleaseVisitedTable(&job);
}

TEST(VisitedTable, MarkSetsExactlyItsBit)
{
    SCANJOB job{};
    ASSERT_TRUE(MakeVisitedTable(&job));
    MarkVisited(&job, kUrlHashRange - 1);
    EXPECT_EQ(job.pVisited.load()->bits[kVisitedTableBytes - 1], 0x80);  // top bit of the last byte
    EXPECT_EQ(IsVisited(&job, kUrlHashRange - 1), 1);
    EXPECT_EQ(IsVisited(&job, kUrlHashRange - 2), 0);

    MarkVisited(&job, 10);  // byte 1, bit 2
    EXPECT_EQ(job.pVisited.load()->bits[1], 0x04);
    EXPECT_EQ(IsVisited(&job, 10), 1);
    EXPECT_EQ(IsVisited(&job, 9), 0);
    EXPECT_EQ(IsVisited(&job, 11), 0);
    ReleaseVisitedTable(&job);
}

TEST(VisitedTable, ReleaseTwiceReleasesOnceAndClearsTheReference)
{
    SCANJOB job{};
    ASSERT_TRUE(MakeVisitedTable(&job));
    ReleaseVisitedTable(&job);
    EXPECT_EQ(job.pVisited.load(), nullptr);
    ReleaseVisitedTable(&job);  // no table: nothing happens (a double free would trip the sanitizer)
    EXPECT_EQ(IsVisited(&job, 5), 0);
}

TEST(VisitedTable, RemadeTableStartsEmpty)
{
    SCANJOB job{};
    ASSERT_TRUE(MakeVisitedTable(&job));
    MarkVisited(&job, 42);
    ReleaseVisitedTable(&job);
    ASSERT_TRUE(MakeVisitedTable(&job));
    EXPECT_EQ(IsVisited(&job, 42), 0);
    ReleaseVisitedTable(&job);
}

TEST(VisitedTable, ConcurrentMarksInOneByteAreNeverLost)
{
    SCANJOB job{};
    ASSERT_TRUE(MakeVisitedTable(&job));
    // Eight threads each mark one bit of the same 1,000 bytes.
    std::vector<std::thread> threads;
    for (uint32_t bit = 0; bit < 8; ++bit)
        threads.emplace_back([&job, bit] {
            for (uint32_t byte = 0; byte < 1000; ++byte) MarkVisited(&job, byte * 8 + bit);
        });
    for (auto& t : threads) t.join();
    for (uint32_t byte = 0; byte < 1000; ++byte) ASSERT_EQ(job.pVisited.load()->bits[byte], 0xFF) << byte;
    ReleaseVisitedTable(&job);
}
