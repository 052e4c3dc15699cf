// Many jobs added, stopped, rescanned, reordered and deleted from one thread (the user's)
// while the scheduler and 100 pool workers run. Every address refuses at once (port 1 of
// 127.0.0.1) and the test itself puts links on the queues of running jobs, so workers take,
// fail and drop links all the time. Engine threads never end, so the run happens in a child
// process that reports and ends itself.
#include "engine/job_actions.h"
#include "engine/job_table.h"
#include "engine/link_queue.h"
#include "engine/pool.h"
#include "engine/scheduler.h"
#include "engine/views.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Every engine pause, fifty times shorter.
void ShortPause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds / 50 + 1));
}

// The view reads the job it is told about, as the window's list does when it draws the row: a
// reference kept to a removed job shows up under the sanitizers.
std::atomic<int64_t> gRead{0};
void ReadJob(SCANJOB* job)
{
    gRead += job->nState.load() + job->nLeft.load();
}

uint32_t gSeed = 12345;
size_t Random(size_t n)
{
    gSeed = gSeed * 1103515245u + 12345u;
    return (gSeed >> 16) % n;
}

// Links on a running job's shared queue, as its crawl thread would push them.
void PushLinks(SCANJOB* job)
{
    std::lock_guard<std::mutex> lock(gEngineLock);
    if (job->nState.load() != kJobProcessing) return;
    for (int i = 0; i < 5; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "127.0.0.1:1/page%zu", Random(1000));
        AddressRecord link;
        ParseAddress(text, &link);
        PushJobLink(job, static_cast<int>(Random(3)), link);
    }
}

bool EveryJobEnded()
{
    for (SCANJOB* job : JobsSnapshot()) {
        int32_t state = job->nState.load();
        if (state != kJobComplete && state != kJobStopped) return false;
    }
    return true;
}

[[noreturn]] void Soak(std::chrono::seconds budget)
{
    SetDefaultSettings(&gSettings);
    gSettings.nThreads = 100;
    SetPauseForTest(ShortPause);
    static VIEWS views;
    views.jobRowAdded = ReadJob;
    views.jobRowRedrawn = ReadJob;
    InstallViews(&views);
    int workers = StartPool();
    StartScheduler();

    int added = 0;
    int actions = 0;
    for (Clock::time_point end = Clock::now() + budget; Clock::now() < end; ++actions) {
        std::vector<SCANJOB*> jobs = JobsSnapshot();
        SCANJOB* job = jobs.empty() ? nullptr : jobs[Random(jobs.size())];
        switch (Random(8)) {
        case 0:
        case 1:
            if (jobs.size() < 40) {
                std::string address = "http://127.0.0.1:1/soak" + std::to_string(added++);
                AddScanJob(address.c_str(), 4, static_cast<int>(Random(4)));
            }
            break;
        case 2: if (job) StopJobGracefully(job); break;
        case 3: if (job) StopJobImmediately(job); break;
        case 4: if (job) RescanJob(job); break;
        case 5: if (!jobs.empty()) RemoveJob(static_cast<int>(Random(jobs.size()))); break;
        case 6: if (job) PushLinks(job); break;
        default:
            std::reverse(jobs.begin(), jobs.end());
            ReorderJobs(jobs);
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }

    // At the end every job is stopped, and each must reach a final state.
    for (SCANJOB* job : JobsSnapshot()) StopJobImmediately(job);
    bool ended = false;
    for (Clock::time_point end = Clock::now() + std::chrono::seconds(30); !ended && Clock::now() < end;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ended = EveryJobEnded();
    }
    std::fprintf(stderr, "soak: %d workers, %d actions, %d jobs added, %s\n", workers, actions, added,
                 ended ? "every job ended" : "a job never ended");
    EndProcess(0);
}

TEST(EngineSoak, UserActionsWhileTheEngineRuns)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(Soak(std::chrono::seconds(8)), ::testing::ExitedWithCode(0),
                "^soak: 100 workers, .* every job ended\n$");
}

}  // namespace
