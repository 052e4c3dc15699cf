#include "engine/scan_job.h"
#include "engine/url_hash.h"
#include "engine/visited_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

struct TableJob {
    SCANJOB job{};
    TableJob() { EXPECT_TRUE(MakeVisitedTable(&job)); }
    ~TableJob() { ReleaseVisitedTable(&job); }
};

}  // namespace

TEST(VisitedTable, KeysWithEqualUrlHashesAreDifferentKeys)
{
    struct Pair {
        const char* a;
        const char* b;
    } pairs[] = {
        {"ab", "ca"},
        {"127.0.0.1/s/0/40.html", "127.0.0.1/s/1/12.html"},  // shifted digits
        {"www.site.com/0/24", "www.site.com/6/10"},
    };
    for (const Pair& p : pairs) {
        SCOPED_TRACE(std::string(p.a) + " / " + p.b);
        ASSERT_EQ(UrlHash(p.a), UrlHash(p.b));
        TableJob t;
        EXPECT_EQ(IsVisited(&t.job, p.a), 0);
        EXPECT_EQ(MarkIfNew(&t.job, p.a), 1);
        EXPECT_EQ(IsVisited(&t.job, p.a), 1);
        EXPECT_EQ(IsVisited(&t.job, p.b), 0);
        EXPECT_EQ(MarkIfNew(&t.job, p.b), 1);
        EXPECT_EQ(MarkIfNew(&t.job, p.a), 0);
        EXPECT_EQ(MarkIfNew(&t.job, p.b), 0);
        EXPECT_EQ(VisitedCount(&t.job), 2u);
    }
}

TEST(VisitedTable, LetterCaseIsFoldedAndOnly499CharactersCount)
{
    TableJob t;
    ASSERT_EQ(MarkIfNew(&t.job, "www.Site.com/Gallery?x=1"), 1);
    EXPECT_EQ(MarkIfNew(&t.job, "WWW.SITE.COM/gallery?X=1"), 0);
    // Only a to z fold: other bytes stay as they are.
    ASSERT_EQ(MarkIfNew(&t.job, "h/\xe9"), 1);
    EXPECT_EQ(MarkIfNew(&t.job, "h/\xc9"), 1);

    std::string common(499, 'p');
    ASSERT_EQ(MarkIfNew(&t.job, (common + "one").c_str()), 1);
    EXPECT_EQ(MarkIfNew(&t.job, (common + "two").c_str()), 0);
    EXPECT_EQ(MarkIfNew(&t.job, common.substr(0, 498).c_str()), 1);
    EXPECT_EQ(MarkIfNew(&t.job, ""), 1);
    EXPECT_EQ(MarkIfNew(&t.job, ""), 0);
}

TEST(VisitedTable, GrowsWithTheJobAndKeepsEveryKey)
{
    TableJob t;
    size_t first = VisitedBytes(&t.job);
    const int n = 200000;
    for (int i = 0; i < n; ++i) {
        std::string key = "host/section/" + std::to_string(i % 997) + "/" + std::to_string(i) + ".html";
        ASSERT_EQ(MarkIfNew(&t.job, key.c_str()), 1) << key;
    }
    for (int i = 0; i < n; i += 7) {
        std::string key = "HOST/SECTION/" + std::to_string(i % 997) + "/" + std::to_string(i) + ".HTML";
        ASSERT_EQ(IsVisited(&t.job, key.c_str()), 1) << key;
    }
    EXPECT_EQ(VisitedCount(&t.job), static_cast<size_t>(n));
    EXPECT_GT(VisitedBytes(&t.job), first);
    EXPECT_LT(VisitedBytes(&t.job) / n, 100u);  // slots at most half full, plus the text
}

TEST(VisitedTable, AGrowthWithoutMemoryLosesOnlyThatLink)
{
    TableJob t;
    int marked = 0;
    // Fill to the first growth: the first table holds 256 keys at half load.
    for (; marked < 256; ++marked) ASSERT_EQ(MarkIfNew(&t.job, ("k" + std::to_string(marked)).c_str()), 1);
    FailVisitedAllocationsForTest(1);
    EXPECT_EQ(MarkIfNew(&t.job, "lost"), 0);
    EXPECT_EQ(IsVisited(&t.job, "lost"), 0);
    EXPECT_EQ(MarkIfNew(&t.job, "next"), 1);
    EXPECT_EQ(MarkIfNew(&t.job, "lost"), 1);  // a later sighting of the lost link is new again
    for (int i = 0; i < marked; ++i) EXPECT_EQ(IsVisited(&t.job, ("k" + std::to_string(i)).c_str()), 1);

    // An arena block that cannot be had loses its link the same way: fill the text block up
    // to a key that needs a new block while the slots still have room.
    const std::string longKey(400, 'x');
    const HTABLE& table = *t.job.pVisited.load();
    for (int i = 0; i < 1000; ++i) {
        std::string key = longKey + std::to_string(i);
        bool needsBlock = table.blocks->size - table.blockUsed < key.size() + 1;
        bool needsSlots = (table.count + 1) * 2 > table.capacity;
        if (needsBlock && !needsSlots) {
            FailVisitedAllocationsForTest(1);
            EXPECT_EQ(MarkIfNew(&t.job, key.c_str()), 0);
            EXPECT_EQ(MarkIfNew(&t.job, key.c_str()), 1);
            break;
        }
        ASSERT_EQ(MarkIfNew(&t.job, key.c_str()), 1);
        ASSERT_LT(i, 999) << "no block boundary met";
    }
    FailVisitedAllocationsForTest(0);
}

TEST(VisitedTable, FirstAllocationFailureIsReportedAndLeavesNoTable)
{
    for (int failures : {1, 2, 3}) {
        SCOPED_TRACE(failures);
        SCANJOB job{};
        FailVisitedAllocationsForTest(failures);
        EXPECT_FALSE(MakeVisitedTable(&job));
        FailVisitedAllocationsForTest(0);
        EXPECT_EQ(job.pVisited.load(), nullptr);
        EXPECT_EQ(MarkIfNew(&job, "a"), 1);  // a job without a table counts every link as new
        EXPECT_EQ(IsVisited(&job, "a"), 0);
    }
}

TEST(VisitedTable, ReleaseTwiceReleasesOnceAndARemadeTableStartsEmpty)
{
    SCANJOB job{};
    ASSERT_TRUE(MakeVisitedTable(&job));
    ASSERT_EQ(MarkIfNew(&job, "h/a"), 1);
    ReleaseVisitedTable(&job);
    EXPECT_EQ(job.pVisited.load(), nullptr);
    ReleaseVisitedTable(&job);  // no table: nothing happens (a double free would trip the sanitizer)
    ASSERT_TRUE(MakeVisitedTable(&job));
    EXPECT_EQ(IsVisited(&job, "h/a"), 0);
    ReleaseVisitedTable(&job);
}

TEST(VisitedTable, ConcurrentMarksReportEachKeyNewExactlyOnce)
{
    TableJob t;
    // Eight threads mark overlapping ranges of 20,000 keys, each range started at another
    // place so that threads meet on the same keys while the table grows.
    const int keys = 20000, threadsCount = 8;
    std::vector<std::atomic<int>> newCount(keys);
    std::vector<std::thread> threads;
    for (int k = 0; k < threadsCount; ++k)
        threads.emplace_back([&, k] {
            for (int i = 0; i < keys; ++i) {
                int key = (i + k * 2500) % keys;
                std::string text = "site/" + std::to_string(key % 100) + "/" + std::to_string(key) + ".html";
                if (MarkIfNew(&t.job, text.c_str())) newCount[key].fetch_add(1);
            }
        });
    for (auto& th : threads) th.join();
    for (int i = 0; i < keys; ++i) ASSERT_EQ(newCount[i].load(), 1) << i;
    EXPECT_EQ(VisitedCount(&t.job), static_cast<size_t>(keys));
}
