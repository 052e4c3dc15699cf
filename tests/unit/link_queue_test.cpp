#include "engine/job_table.h"
#include "engine/link_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

AddressRecord Link(const std::string& path)
{
    AddressRecord record{};
    std::snprintf(record.host, sizeof record.host, "h");
    std::snprintf(record.port, sizeof record.port, "80");
    std::snprintf(record.path, sizeof record.path, "%s", path.c_str());
    return record;
}

class LinkQueue : public ::testing::Test {
protected:
    void SetUp() override { ResetEngineForTest(); }
    void TearDown() override { ResetEngineForTest(); }

    SCANJOB* Add(const char* address, int32_t state)
    {
        EXPECT_EQ(AddScanJob(address, 0, 3), AddResult::Added);
        std::lock_guard<std::mutex> lock(gEngineLock);
        SCANJOB* job = JobAt(JobCount() - 1);
        job->nState = state;
        return job;
    }

    // Takes the next link; "" and -1 when none.
    std::pair<std::string, int> Take(SCANJOB** from = nullptr)
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        SCANJOB* job;
        AddressRecord link;
        int level = TakeNextLink(&job, &link);
        if (from) *from = job;
        return {level < 0 ? "" : link.path, level};
    }

    int Push(SCANJOB* job, int level, const char* path)
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        return PushJobLink(job, level, Link(path));
    }
};

TEST_F(LinkQueue, LevelsAreClampedAndLowerLevelsGoFirst)
{
    SCANJOB* job = Add("http://a/", kJobProcessing);
    Push(job, 2, "/two-first");
    Push(job, 7, "/seven");
    Push(job, 0, "/zero");
    Push(job, -2, "/minus");
    Push(job, 2, "/two-second");
    EXPECT_EQ(job->nFound.load(), 5);
    EXPECT_EQ(job->nLeft.load(), 5);

    std::pair<std::string, int> expected[] = {
        {"/zero", 0}, {"/minus", 0}, {"/two-first", 2}, {"/two-second", 2}, {"/seven", 3}, {"", -1}};
    for (const auto& e : expected) EXPECT_EQ(Take(), e);
    EXPECT_EQ(job->nLeft.load(), 0);
    EXPECT_EQ(job->nFound.load(), 5);
    for (int level = 0; level < kLinkLevels; ++level) {
        EXPECT_EQ(job->pHead[level], nullptr);
        EXPECT_EQ(job->pTail[level], nullptr);
    }
    Push(job, 1, "/again");  // an emptied level takes new links
    EXPECT_EQ(job->pHead[1], job->pTail[1]);
    EXPECT_EQ(Take(), (std::pair<std::string, int>{"/again", 1}));
}

TEST_F(LinkQueue, OnlyProcessingJobsAreServedInTableOrder)
{
    SCANJOB* queued = Add("http://q/", kJobQueued);
    SCANJOB* complete = Add("http://c/", kJobComplete);
    SCANJOB* first = Add("http://p1/", kJobProcessing);
    SCANJOB* second = Add("http://p2/", kJobProcessing);
    for (SCANJOB* job : {queued, complete, first}) Push(job, 3, "/deep");
    Push(second, 0, "/shallow");

    SCANJOB* from = nullptr;
    EXPECT_EQ(Take(&from), (std::pair<std::string, int>{"/deep", 3}));  // an earlier job's level 3 first
    EXPECT_EQ(from, first);
    EXPECT_EQ(Take(&from), (std::pair<std::string, int>{"/shallow", 0}));
    EXPECT_EQ(from, second);
    EXPECT_EQ(Take(&from).second, -1);
    EXPECT_EQ(from, nullptr);
    EXPECT_EQ(queued->nLeft.load(), 1);
}

TEST_F(LinkQueue, DropEmptiesAndStoppedJobsTakeNoMore)
{
    SCANJOB* job = Add("http://a/", kJobProcessing);
    for (int i = 0; i < 4; ++i) Push(job, i, "/x");
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        DropJobLinks(job);
    }
    EXPECT_EQ(job->nLeft.load(), 0);
    EXPECT_EQ(job->nFound.load(), 4);
    job->nStopMode = kStopGraceful;
    EXPECT_EQ(Push(job, 0, "/late"), 0);  // a link found just as the job stops is not kept
    EXPECT_EQ(job->nLeft.load(), 0);
}

TEST_F(LinkQueue, PostedWorkEndsAWorkersWait)
{
    using namespace std::chrono_literals;
    SCANJOB* job = Add("http://a/", kJobProcessing);
    uint64_t seen = 0;
    auto waited = [&](int milliseconds) {
        std::unique_lock<std::mutex> lock(gEngineLock);
        auto start = std::chrono::steady_clock::now();
        WaitForWork(lock, seen, milliseconds);
        return std::chrono::steady_clock::now() - start;
    };
    auto later = [](auto action) {
        return std::thread([action] {
            std::this_thread::sleep_for(50ms);
            std::lock_guard<std::mutex> lock(gEngineLock);
            action();
        });
    };
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        seen = WorkPosts();
    }
    EXPECT_GE(waited(60), 50ms);  // nothing posted: the whole wait

    std::thread poster = later([job] { PushJobDownload(job, Link("/f")); });
    EXPECT_LT(waited(10000), 5s);
    poster.join();
    EXPECT_LT(waited(10000), 1s);  // posted before the wait began: nothing is missed

    // A relative link that waits for a shallower page is posted again when that page is read.
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        BeginScan(job, 0);
        PushJobRelative(job, 1, Link("/r"));
        seen = WorkPosts();
    }
    std::thread ender = later([job] { EndScan(job, 0); });
    EXPECT_LT(waited(10000), 5s);
    ender.join();
}

TEST_F(LinkQueue, RelativeLinksWaitForShallowerPagesBeingRead)
{
    SCANJOB* job = Add("http://a/", kJobProcessing);
    auto push = [&](int level, const char* path) {
        std::lock_guard<std::mutex> lock(gEngineLock);
        return PushJobRelative(job, level, Link(path));
    };
    auto take = [&]() -> std::pair<std::string, int> {
        std::lock_guard<std::mutex> lock(gEngineLock);
        AddressRecord link;
        int level = TakeJobRelative(job, &link);
        return {level < 0 ? "" : link.path, level};
    };
    auto end = [&](int level) {
        std::lock_guard<std::mutex> lock(gEngineLock);
        EndScan(job, level);
    };
    using Taken = std::pair<std::string, int>;

    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        BeginScan(job, 0);  // the start page is being read
    }
    push(1, "/a");
    push(1, "/b");
    push(2, "/c");
    EXPECT_EQ(job->nRelQueued.load(), 3);
    EXPECT_EQ(job->nFound.load(), 0);  // relative links are not counted as found
    EXPECT_EQ(take(), (Taken{"", -1}));  // the links wait until the start page's are all queued
    end(0);
    EXPECT_EQ(take(), (Taken{"/a", 1}));  // first in, first out
    EXPECT_EQ(take(), (Taken{"/b", 1}));
    EXPECT_EQ(take(), (Taken{"", -1}));  // /c waits while /a and /b are read
    end(1);
    EXPECT_EQ(take(), (Taken{"", -1}));
    end(1);
    EXPECT_EQ(take(), (Taken{"/c", 2}));
    EXPECT_EQ(job->nRelQueued.load(), 0);
    EXPECT_EQ(take(), (Taken{"", -1}));

    // Another job's waiting link is taken by an idle worker; a job not Processing is passed over.
    SCANJOB* queued = Add("http://q/", kJobQueued);
    SCANJOB* other = Add("http://o/", kJobProcessing);
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        PushJobRelative(queued, 0, Link("/q"));
        PushJobRelative(job, 3, Link("/deep"));  // waits for /c, at level 2
        PushJobRelative(other, 1, Link("/o"));
        AddressRecord link;
        int level = -1;
        EXPECT_EQ(TakeNextRelative(&link, &level), other);
        EXPECT_STREQ(link.path, "/o");
        EXPECT_EQ(level, 1);
        EXPECT_EQ(TakeNextRelative(&link, &level), nullptr);
    }

    // A stop drops the waiting links and refuses new ones.
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        DropJobLinks(job);
    }
    EXPECT_EQ(job->nRelQueued.load(), 0);
    job->nStopMode = kStopGraceful;
    EXPECT_EQ(push(0, "/late"), 0);
    EXPECT_EQ(job->nRelQueued.load(), 0);
}

}  // namespace
