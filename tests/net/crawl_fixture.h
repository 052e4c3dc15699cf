// Whole crawls on the test's own thread: a job started as the scheduler starts one, its crawl
// thread's body, then pool-worker rounds until no work is left, then the recount.
#pragma once

#include "engine/crawler.h"
#include "engine/pool.h"
#include "engine/scheduler.h"
#include "engine/visited_table.h"
#include "net_fixture.h"

#include <algorithm>
#include <memory>
#include <set>
#include <string>

class CrawlTest : public RecordedNetTest {
protected:
    std::unique_ptr<POOLWORKER> worker = std::make_unique<POOLWORKER>();

    // Adds a job for `address` and starts it as the scheduler would, without a thread.
    SCANJOB* StartJob(const std::string& address, int format, int depth)
    {
        EXPECT_EQ(AddScanJob(address.c_str(), format, depth), AddResult::Added);
        SCANJOB* job;
        {
            std::lock_guard<std::mutex> lock(gEngineLock);
            job = JobAt(JobCount() - 1);
        }
        EXPECT_TRUE(MakeVisitedTable(job));
        job->nState = kJobProcessing;
        job->nActive = 1;
        return job;
    }

    // The crawl thread's work, then the pool's, then the recount that finishes the job.
    void RunToEnd(SCANJOB* job)
    {
        CrawlJob(job);
        EXPECT_EQ(job->nActive.load(), 0);
        for (int rounds = 0; rounds < 100000 && PoolWorkerStep(*worker) == 0; ++rounds) {
        }
        RecountJobStates();
    }

    std::set<std::string> Saved() const
    {
        std::set<std::string> names;
        for (const std::string& name : FolderFiles()) names.insert(name);
        return names;
    }

    // Every saved file holds the bytes the server has under its path (host+path, "/" as "+").
    void ExpectServedBytes()
    {
        for (const std::string& name : FolderFiles()) {
            std::string path = name.substr(name.find('+'));
            std::replace(path.begin(), path.end(), '+', '/');
            EXPECT_EQ(ReadWholeFile(folder.File(name)), ReadWholeFile(servers.root + path)) << name;
        }
    }
};
