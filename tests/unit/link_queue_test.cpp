#include "engine/job_table.h"
#include "engine/link_queue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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

TEST(LocalQueue, FirstInFirstOut)
{
    LINKQUEUE queue;
    AddressRecord out;
    EXPECT_EQ(PopLocalLink(&queue, &out), -1);
    PushLocalLink(&queue, 1, Link("/a"));
    PushLocalLink(&queue, 0, Link("/b"));
    PushLocalLink(&queue, 2, Link("/c"));
    EXPECT_EQ(PopLocalLink(&queue, &out), 1);
    EXPECT_STREQ(out.path, "/a");
    PushLocalLink(&queue, 3, Link("/d"));
    EXPECT_EQ(PopLocalLink(&queue, &out), 0);
    EXPECT_STREQ(out.path, "/b");
    EXPECT_EQ(PopLocalLink(&queue, &out), 2);
    EXPECT_EQ(PopLocalLink(&queue, &out), 3);
    EXPECT_STREQ(out.path, "/d");
    EXPECT_EQ(PopLocalLink(&queue, &out), -1);

    PushLocalLink(&queue, 0, Link("/e"));
    PushLocalLink(&queue, 0, Link("/f"));
    ClearLocalLinks(&queue);
    EXPECT_EQ(PopLocalLink(&queue, &out), -1);
    PushLocalLink(&queue, 0, Link("/g"));  // left with nodes: the destructor releases them
}

}  // namespace
