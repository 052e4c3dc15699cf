#include "engine/job_table.h"
#include "engine/url_hash.h"
#include "engine/views.h"
#include "engine/visited_table.h"
#include "support/recording_views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class JobTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEngineForTest();
        InstallRecordingViews();
    }
    void TearDown() override
    {
        ResetViews();
        ResetEngineForTest();
    }

    static std::vector<std::string> Addresses()
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        std::vector<std::string> out;
        ForEachJob([&out](SCANJOB* job) {
            out.emplace_back(job->szAddress);
            return true;
        });
        return out;
    }
};

TEST_F(JobTable, AddAppendsAQueuedJobAndLogsIt)
{
    EXPECT_EQ(AddScanJob("http://h/a", 3, 2), AddResult::Added);
    EXPECT_EQ(AddScanJob("http://h/b", 0, 0), AddResult::Added);

    ASSERT_EQ(Addresses(), (std::vector<std::string>{"http://h/a", "http://h/b"}));
    SCANJOB* first;
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        first = JobAt(0);
    }
    EXPECT_EQ(first->nState.load(), kJobQueued);
    EXPECT_EQ(first->nFormat, 3);
    EXPECT_EQ(first->nDepth, 2);
    EXPECT_EQ(first->dwHash, UrlHash("h/a"));
    EXPECT_EQ(first->pVisited.load(), nullptr);
    EXPECT_EQ(gCounters.nQueued.load(), 2);

    RECORDING r = Recorded();
    EXPECT_EQ(r.logLines, (std::vector<std::string>{"Added to Scanning Address List( http://h/a )",
                                                    "Added to Scanning Address List( http://h/b )"}));
    ASSERT_EQ(r.rowsAdded.size(), 2u);
    EXPECT_EQ(r.rowsAdded[0], first);
}

TEST_F(JobTable, DuplicatesAreRefused)
{
    ASSERT_EQ(AddScanJob("http://www.site.com/Gallery", 0, 1), AddResult::Added);
    struct Case {
        const char* address;
        const char* why;
    } refused[] = {
        {"http://WWW.SITE.COM/gallery", "letter case is ignored"},
        {"HTTP://www.site.com/Gallery", "the first seven characters are skipped"},
        {"xxxxxxxwww.site.com/Gallery", "the first seven characters are skipped"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(AddScanJob(c.address, 0, 1), AddResult::AlreadyPresent);
        EXPECT_EQ(Recorded().logLines.back(), std::string("Already in Scanning Address List( ") + c.address + " )");
    }
    EXPECT_EQ(Addresses().size(), 1u);
    EXPECT_EQ(gCounters.nQueued.load(), 1);
    EXPECT_EQ(Recorded().rowsAdded.size(), 1u);
}

TEST_F(JobTable, DifferentAddressesWithEqualHashesAreBothAdded)
{
    const char* pairs[][2] = {
        {"http://ab", "http://ca"},
        {"http://www.site.com/0/24", "http://www.site.com/6/10"},
        {"http://127.0.0.1/s/0/40.html", "http://127.0.0.1/s/1/12.html"},
    };
    for (const auto& p : pairs) {
        SCOPED_TRACE(p[1]);
        ASSERT_EQ(AddressHash(p[0]), AddressHash(p[1]));
        EXPECT_EQ(AddScanJob(p[0], 0, 1), AddResult::Added);
        EXPECT_FALSE(FindDuplicateJob(p[1]));
        EXPECT_EQ(AddScanJob(p[1], 0, 1), AddResult::Added);
        EXPECT_TRUE(FindDuplicateJob(p[1]));
    }
    EXPECT_EQ(Addresses().size(), 6u);
}

TEST_F(JobTable, LongAddressIsCutTo255Characters)
{
    std::string address = "http://h/" + std::string(400, 'p');
    ASSERT_EQ(AddScanJob(address.c_str(), 0, 1), AddResult::Added);
    EXPECT_EQ(Addresses()[0], address.substr(0, 255));
    // The log message is cut to 255 characters too.
    EXPECT_EQ(Recorded().logLines[0].size(), 255u);
}

TEST_F(JobTable, RemoveAllowsOnlyQueuedCompleteAndStoppedJobs)
{
    for (const char* a : {"http://h/0", "http://h/1", "http://h/2", "http://h/3", "http://h/4"})
        ASSERT_EQ(AddScanJob(a, 0, 1), AddResult::Added);
    SCANJOB* jobs[5];
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        for (int i = 0; i < 5; ++i) jobs[i] = JobAt(i);
    }
    jobs[1]->nState = kJobProcessing;
    jobs[2]->nState = kJobStopping;
    jobs[3]->nState = kJobComplete;
    jobs[4]->nState = kJobStopped;
    ASSERT_TRUE(MakeVisitedTable(jobs[4]));  // a table still held is released with the record

    EXPECT_EQ(RemoveJob(1), 0);
    EXPECT_EQ(RemoveJob(2), 0);
    EXPECT_EQ(RemoveJob(5), 0);
    EXPECT_EQ(RemoveJob(-1), 0);
    EXPECT_EQ(RemoveJob(4), 1);
    EXPECT_EQ(RemoveJob(3), 1);
    EXPECT_EQ(RemoveJob(0), 1);
    EXPECT_EQ(Addresses(), (std::vector<std::string>{"http://h/1", "http://h/2"}));
    EXPECT_EQ(Recorded().rowsRemoved.size(), 3u);

    // The next job goes to the new end, and a removed address may be added again.
    ASSERT_EQ(AddScanJob("http://h/0", 0, 1), AddResult::Added);
    EXPECT_EQ(Addresses(), (std::vector<std::string>{"http://h/1", "http://h/2", "http://h/0"}));
}

TEST_F(JobTable, FirstQueuedJobFollowsTableOrder)
{
    SCANJOB* job = reinterpret_cast<SCANJOB*>(1);
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        EXPECT_EQ(FirstQueuedJob(&job), -1);
        EXPECT_EQ(job, nullptr);
    }
    for (const char* a : {"http://h/0", "http://h/1", "http://h/2"}) AddScanJob(a, 0, 1);
    std::lock_guard<std::mutex> lock(gEngineLock);
    JobAt(0)->nState = kJobProcessing;
    EXPECT_EQ(FirstQueuedJob(&job), 1);
    EXPECT_EQ(job, JobAt(1));
    JobAt(1)->nState = kJobComplete;
    EXPECT_EQ(FirstQueuedJob(&job), 2);
}

TEST_F(JobTable, ViewlessAddStillWorks)
{
    ResetViews();  // no view exists yet: the reports are swallowed
    EXPECT_EQ(AddScanJob("http://h/", 0, 1), AddResult::Added);
    EXPECT_EQ(AddScanJob("http://h/", 0, 1), AddResult::AlreadyPresent);
    EXPECT_EQ(Addresses().size(), 1u);
}

}  // namespace
