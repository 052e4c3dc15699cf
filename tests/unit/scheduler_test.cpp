#include "engine/job_actions.h"
#include "engine/job_table.h"
#include "engine/scheduler.h"
#include "engine/views.h"
#include "platform/clock.h"
#include "settings/settings.h"
#include "support/recording_views.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

int64_t gNow = 1000000;
int64_t FakeNow() { return gNow; }
void NoPause(int) {}

// What the user-interface thread does just as the scheduler starts a job: the scheduler reads
// the clock for the start time, so the clock runs the action once, on the test's thread.
std::atomic<void (*)()> gAtClock{nullptr};
std::thread::id gTestThread;
int64_t ClockWithAction()
{
    if (std::this_thread::get_id() == gTestThread)
        if (void (*action)() = gAtClock.exchange(nullptr)) action();
    return gNow;
}
SCANJOB* gFirstJob = nullptr;
int gRemoved = -1;
std::vector<std::string> gLines;

// Jobs that point nowhere (port 1 refuses at once), so the crawl threads the scheduler starts
// end quickly. Each job is kept busy by a pretend worker counted in nActive, so the test
// decides when it has no work left.
class Scheduler : public ::testing::Test {
protected:
    SCHEDULER scheduler;
    std::vector<SCANJOB*> jobs;

    void SetUp() override
    {
        ResetEngineForTest();
        SetDefaultSettings(&gSettings);
        SetClockForTest(FakeNow);
        SetPauseForTest(NoPause);
        InstallRecordingViews();
    }
    void TearDown() override
    {
        WaitForCrawlThreads();
        ResetViews();
        SetClockForTest(nullptr);
        SetPauseForTest(nullptr);
        ResetEngineForTest();
    }

    void AddJobs(int count)
    {
        for (int i = 0; i < count; ++i) {
            std::string address = "http://127.0.0.1:1/job";
            address += std::to_string(i);
            ASSERT_EQ(AddScanJob(address.c_str(), 0, 1), AddResult::Added);
            std::lock_guard<std::mutex> lock(gEngineLock);
            jobs.push_back(JobAt(JobCount() - 1));
            jobs.back()->nActive = 1;  // the pretend worker
        }
    }

    // The crawl threads hold nActive until their failed start page ends them.
    void WaitForCrawlThreads()
    {
        for (SCANJOB* job : jobs) {
            for (int i = 0; i < 500 && job->nActive.load() > 1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    void Finish(SCANJOB* job)
    {
        WaitForCrawlThreads();
        job->nActive = 0;
    }

    std::vector<int32_t> States() const
    {
        std::vector<int32_t> states;
        for (SCANJOB* job : jobs) states.push_back(job->nState.load());
        return states;
    }
};

TEST_F(Scheduler, AtMostSixJobsProcess)
{
    AddJobs(7);
    for (int pass = 0; pass < 8; ++pass) SchedulerPass(scheduler);
    const int32_t P = kJobProcessing, Q = kJobQueued, C = kJobComplete;
    EXPECT_EQ(States(), (std::vector<int32_t>{P, P, P, P, P, P, Q}));
    EXPECT_EQ(gCounters.nProcessing.load(), 6);

    Finish(jobs[2]);
    SchedulerPass(scheduler);  // the recount completes it
    EXPECT_EQ(States(), (std::vector<int32_t>{P, P, C, P, P, P, Q}));
    SchedulerPass(scheduler);  // and now the seventh starts
    EXPECT_EQ(States(), (std::vector<int32_t>{P, P, C, P, P, P, P}));
    EXPECT_EQ(Recorded().logLines.back(), "Complete ( http://127.0.0.1:1/job2 )");
}

TEST_F(Scheduler, BusyWorkersAndThreadCountGateTheStart)
{
    AddJobs(1);
    gSettings.nThreads = 10;  // never more than ten idle workers: nothing starts
    for (int pass = 0; pass < 3; ++pass) SchedulerPass(scheduler);
    EXPECT_EQ(jobs[0]->nState.load(), kJobQueued);

    gSettings.nThreads = 50;
    gCounters.nBusyWorkers = 40;
    SchedulerPass(scheduler);
    EXPECT_EQ(jobs[0]->nState.load(), kJobQueued);
    gCounters.nBusyWorkers = 39;
    SchedulerPass(scheduler);
    EXPECT_EQ(jobs[0]->nState.load(), kJobProcessing);
    EXPECT_EQ(gCounters.tLastJobStart.load(), gNow);
    EXPECT_NE(jobs[0]->pVisited.load(), nullptr);
    gCounters.nBusyWorkers = 0;
}

TEST_F(Scheduler, StatusAfterEachUpdate)
{
    AddJobs(1);
    gCounters.nFilesDownloaded = 12;
    gCounters.dwTotalBytes = 5000000000LL;  // past 4 GiB
    SchedulerPass(scheduler);
    RECORDING r = Recorded();
    EXPECT_EQ(r.titles.back(), "Zorvel 2.0 - 12 files");
    EXPECT_EQ(r.jobStatusLines.back(), "Complete: 0, Processing: 1, Queued : 0, Stopped : 0, Stopping: 0 links");
    std::vector<std::string> tail(r.statusParts.end() - 3, r.statusParts.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"1:0", "2:12", "3:5000000000"}));
    EXPECT_NE(std::find(r.statusParts.begin(), r.statusParts.end(), "0:Processing"), r.statusParts.end());

    Finish(jobs[0]);
    SchedulerPass(scheduler);
    EXPECT_TRUE(scheduler.idle);
    EXPECT_EQ(Recorded().statusParts.back(), "3:5000000000");
    EXPECT_EQ(Recorded().jobStatusLines.back(), "Complete: 1, Processing: 0, Queued : 0, Stopped : 0, Stopping: 0 links");
}

TEST_F(Scheduler, ForcedStopConditions)
{
    struct Case {
        const char* what;
        int64_t secondsSinceStart;
        int64_t totalBytes;
        int32_t freeLimitMb;
        uint32_t firstTick;  // the first tick that reports the stop; 0 for none within 20
    } cases[] = {
        {"nothing", 0, 0, 0, 0},
        {"time at the limit", 60, 0, 0, 0},
        {"time past the limit", 61, 0, 0, 2},           // tested on even ticks
        {"size at the limit", 0, 1048576, 0, 0},
        {"size past the limit", 0, 1048577, 0, 5},      // every fifth tick
        {"free space below the limit", 0, 0, 2000000000, 10},  // every tenth tick
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gSettings.nLimitOprationTime = 1;
        gSettings.nLimitTotalDownSize = 1;
        gSettings.nLimitFreeDiskSpace = c.freeLimitMb;
        std::snprintf(gSettings.szDownloadFolder, sizeof gSettings.szDownloadFolder, ".");
        gCounters.tLastJobStart = gNow - c.secondsSinceStart;
        gCounters.dwTotalBytes = c.totalBytes;
        SCHEDULER s;
        uint32_t first = 0;
        for (int i = 0; i < 20 && first == 0; ++i)
            if (ForcedStopDue(s)) first = s.ticks;
        EXPECT_EQ(first, c.firstTick);
    }
}

TEST_F(Scheduler, ForcedStopStopsEveryJobGracefully)
{
    AddJobs(3);
    gSettings.nLimitOprationTime = 1;
    SchedulerPass(scheduler);  // job 0 starts; tick 1
    gNow += 61;
    SchedulerPass(scheduler);  // job 1 starts, restarting the minute; tick 2
    EXPECT_EQ(jobs[1]->nState.load(), kJobProcessing);
    gNow += 61;
    SchedulerPass(scheduler);  // job 2 starts; tick 3 is odd
    SchedulerPass(scheduler);  // tick 4: more than a minute since the last start? no: 0 s
    EXPECT_EQ(jobs[0]->nState.load(), kJobProcessing);
    gNow += 61;
    SchedulerPass(scheduler);  // tick 5
    SchedulerPass(scheduler);  // tick 6: 61 s since the last start
    const std::string forced = "Forced Stop Condition !! All Scanning Job is being gracefully stopped... ";
    EXPECT_EQ(Recorded().logLines.back(), forced);
    for (SCANJOB* job : jobs) {
        EXPECT_EQ(job->nState.load(), kJobStopping);
        EXPECT_EQ(job->nStopMode.load(), kStopGraceful);
    }
    for (SCANJOB* job : jobs) Finish(job);
    SchedulerPass(scheduler);
    for (SCANJOB* job : jobs) EXPECT_EQ(job->nState.load(), kJobStopped);
    EXPECT_EQ(Recorded().logLines.back(), "Stopped ( http://127.0.0.1:1/job2 )");
    EXPECT_TRUE(scheduler.idle);
    uint32_t ticks = scheduler.ticks;
    SchedulerPass(scheduler);  // idle: no test, no tick
    EXPECT_EQ(scheduler.ticks, ticks);
}

TEST_F(Scheduler, ForcedStopAlsoStopsQueuedJobs)
{
    AddJobs(2);
    gSettings.nLimitTotalDownSize = 0;
    gCounters.dwTotalBytes = 1;
    for (int pass = 0; pass < 5; ++pass) SchedulerPass(scheduler);
    EXPECT_EQ(jobs[0]->nState.load(), kJobStopping);
    EXPECT_EQ(jobs[1]->nState.load(), kJobStopping);
}

TEST_F(Scheduler, UserStopsAndRescan)
{
    AddJobs(3);
    SchedulerPass(scheduler);
    SchedulerPass(scheduler);
    Finish(jobs[1]);
    SchedulerPass(scheduler);  // job 1 Complete, job 2 Processing... or Queued as the gate allows
    ASSERT_EQ(jobs[0]->nState.load(), kJobProcessing);
    ASSERT_EQ(jobs[1]->nState.load(), kJobComplete);

    EXPECT_EQ(StopJobGracefully(jobs[1]), 0);  // only Processing jobs stop gracefully
    EXPECT_EQ(StopJobGracefully(jobs[0]), 1);
    EXPECT_EQ(jobs[0]->nStopMode.load(), kStopGraceful);
    EXPECT_EQ(StopJobImmediately(jobs[0]), 1);  // graceful turns immediate
    EXPECT_EQ(jobs[0]->nStopMode.load(), kStopImmediate);
    EXPECT_EQ(StopJobImmediately(jobs[1]), 1);  // even a Complete job: Stopping, then Stopped
    EXPECT_EQ(jobs[1]->nState.load(), kJobStopping);
    Finish(jobs[0]);
    RecountJobStates();
    EXPECT_EQ(jobs[0]->nState.load(), kJobStopped);
    EXPECT_EQ(jobs[1]->nState.load(), kJobStopped);

    jobs[1]->nFound = 4;
    jobs[1]->nFiles = 3;
    jobs[1]->nSize = 99;
    EXPECT_EQ(RescanJob(jobs[1]), 1);
    EXPECT_EQ(jobs[1]->nState.load(), kJobQueued);
    EXPECT_EQ(jobs[1]->nStopMode.load(), kStopNone);
    EXPECT_EQ(jobs[1]->nFound.load() + jobs[1]->nFiles.load() + jobs[1]->nSize.load(), 0);
    EXPECT_EQ(RescanJob(jobs[1]), 0);  // a Queued job has nothing to rescan
}

// Whatever the user does as a job starts, the start neither overwrites a stop nor touches a
// freed record: the decision and the change of state are one step under the engine lock.
TEST_F(Scheduler, StopOrDeleteAsAJobStarts)
{
    struct Case {
        const char* what;
        void (*action)();
        int32_t stateAfterPass;
        int32_t stopMode;
        int32_t finalState;
        int removed;
    } cases[] = {
        {"Stop Immediately", [] { StopJobImmediately(gFirstJob); }, kJobStopping, kStopImmediate, kJobStopped, -1},
        {"forced stop or Ctrl-C", [] { StopAllGracefully(); }, kJobStopping, kStopGraceful, kJobStopped, -1},
        {"Delete", [] { gRemoved = RemoveJob(0); }, kJobProcessing, kStopNone, kJobComplete, 0},
    };
    gTestThread = std::this_thread::get_id();
    SetClockForTest(ClockWithAction);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WaitForCrawlThreads();
        ResetEngineForTest();
        jobs.clear();
        scheduler = SCHEDULER{};
        gRemoved = -1;
        AddJobs(1);
        gFirstJob = jobs[0];
        gAtClock = c.action;
        SchedulerPass(scheduler);
        EXPECT_EQ(gAtClock.load(), nullptr);  // the action ran
        EXPECT_EQ(gRemoved, c.removed);
        ASSERT_EQ(JobsSnapshot().size(), 1u);
        EXPECT_EQ(jobs[0]->nState.load(), c.stateAfterPass);
        EXPECT_EQ(jobs[0]->nStopMode.load(), c.stopMode);
        Finish(jobs[0]);
        SchedulerPass(scheduler);
        EXPECT_EQ(jobs[0]->nState.load(), c.finalState);
    }
}

// The user-interface thread deletes a job that the recount has just finished, while the
// recount is still reporting: its line must come from what the recount copied, not the record.
TEST_F(Scheduler, DeleteWhileTheRecountReports)
{
    AddJobs(2);
    SchedulerPass(scheduler);
    SchedulerPass(scheduler);
    ASSERT_EQ(States(), (std::vector<int32_t>{kJobProcessing, kJobProcessing}));
    Finish(jobs[0]);
    Finish(jobs[1]);
    static VIEWS views;
    views = VIEWS{};
    views.appendLog = [](const char* message) {
        gLines.emplace_back(message);
        if (gLines.size() == 1) gRemoved = RemoveJob(1);
    };
    gLines.clear();
    InstallViews(&views);
    RecountJobStates();
    EXPECT_EQ(gRemoved, 1);
    EXPECT_EQ(gLines, (std::vector<std::string>{"Complete ( http://127.0.0.1:1/job0 )",
                                                "Complete ( http://127.0.0.1:1/job1 )"}));
    jobs.pop_back();  // released by the delete
}

// Stops made on another thread while the scheduler is idle (the terminal's Ctrl-C with too few
// threads to start anything; Stop Immediately on a Complete job) still end Stopped.
TEST_F(Scheduler, StopsMadeWhileIdleAreFinished)
{
    gSettings.nThreads = 10;
    AddJobs(2);
    for (SCANJOB* job : jobs) job->nActive = 0;
    SchedulerPass(scheduler);
    ASSERT_TRUE(scheduler.idle);
    StopAllGracefully();
    SchedulerPass(scheduler);
    EXPECT_EQ(States(), (std::vector<int32_t>{kJobStopped, kJobStopped}));
    EXPECT_EQ(Recorded().logLines.back(), "Stopped ( http://127.0.0.1:1/job1 )");
    EXPECT_TRUE(scheduler.idle);

    gSettings.nThreads = 50;
    ASSERT_EQ(RescanJob(jobs[0]), 1);
    jobs[0]->nActive = 1;  // the pretend worker, so that Finish waits for the crawl thread
    SchedulerPass(scheduler);
    Finish(jobs[0]);
    SchedulerPass(scheduler);
    ASSERT_EQ(jobs[0]->nState.load(), kJobComplete);
    ASSERT_TRUE(scheduler.idle);
    StopJobImmediately(jobs[0]);
    SchedulerPass(scheduler);
    EXPECT_EQ(jobs[0]->nState.load(), kJobStopped);
    EXPECT_EQ(Recorded().logLines.back(), "Stopped ( http://127.0.0.1:1/job0 )");
}

TEST(TypedAddress, RulesOfTheAddressBox)
{
    ResetEngineForTest();
    InstallRecordingViews();
    struct Case {
        const char* typed;
        TypedResult result;
        const char* log;
    } cases[] = {
        {"http://", TypedResult::Refused, "Type correct url"},
        {"https://", TypedResult::Refused, "Type correct url"},
        {"ftp://h/x", TypedResult::Refused, "Type correct url"},
        {"HTTPS://Secure.Example/Path", TypedResult::Added, "Added to Scanning Address List( https://secure.example/Path )"},
        // The http and https forms of one address are one job.
        {"http://secure.example/Path", TypedResult::AlreadyPresent,
         "Already in Scanning Address List( http://secure.example/Path )"},
        {"http://h", TypedResult::Added, "Added to Scanning Address List( http://h )"},
        {"HTTP://WWW.Site.COM/Gallery/A.JPG", TypedResult::Added,
         "Added to Scanning Address List( http://www.site.com/Gallery/A.JPG )"},
        {"http://www.site.com/gallery/a.jpg", TypedResult::AlreadyPresent,
         "Already in Scanning Address List( http://www.site.com/gallery/a.jpg )"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(AddTypedAddress(c.typed, 2, 3), c.result);
        EXPECT_EQ(Recorded().logLines.back(), c.log);
    }
    ResetViews();
    ResetEngineForTest();
}

}  // namespace
