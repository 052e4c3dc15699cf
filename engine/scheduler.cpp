#include "engine/scheduler.h"

#include "engine/crawler.h"
#include "engine/download_list.h"
#include "engine/job_actions.h"
#include "engine/job_table.h"
#include "engine/log_entry.h"
#include "engine/views.h"
#include "engine/visited_table.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "settings/settings.h"

#include <cstdio>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

struct STARTDECISION {
    SCANJOB* job = nullptr;     // the job made Processing, holding nActive for its crawl thread
    bool outOfMemory = false;   // its visited table could not be had
    bool anyStopping = false;   // some job waits for the recount that ends its stop
};

// Under the engine lock: the first Queued job turns Processing, unless a stop reached it first,
// and from then on it counts its crawl thread in nActive. Only the recount on this thread
// finishes a job and only a Queued, Complete or Stopped job can be removed, so the job stays
// valid here until this thread's next recount.
STARTDECISION DecideStart()
{
    STARTDECISION d;
    std::lock_guard<std::mutex> lock(gEngineLock);
    ForEachJob([&d](SCANJOB* job) {
        d.anyStopping = job->nState.load() == kJobStopping;
        return !d.anyStopping;
    });
    if (gCounters.nBusyWorkers.load() >= gSettings.nThreads - 10 || gCounters.nProcessing.load() > 5) return d;
    SCANJOB* job = nullptr;
    FirstQueuedJob(&job);
    int32_t queued = kJobQueued;
    if (job == nullptr || !job->nState.compare_exchange_strong(queued, kJobProcessing)) return d;
    if (!MakeVisitedTable(job)) {
        d.outOfMemory = true;
        return d;
    }
    job->nActive.fetch_add(1);
    d.job = job;
    return d;
}

void StartCrawlThread(SCANJOB* job)
{
    gCounters.tLastJobStart = ClockNow();
    try {
        std::thread(CrawlJob, job).detach();
    } catch (const std::system_error&) {
        job->nActive.fetch_sub(1);  // the job then completes at the next recount
    } catch (const std::bad_alloc&) {
        job->nActive.fetch_sub(1);
    }
    Views().jobRowRedrawn(job);
}

void UpdateStatus()
{
    Views().setStatusPart(1, nullptr, gCounters.nBusyWorkers.load());
    Views().setStatusPart(2, nullptr, gCounters.nFilesDownloaded.load());
    Views().setStatusPart(3, nullptr, gCounters.dwTotalBytes.load());
    char title[100];
    std::snprintf(title, sizeof title, "Zorvel 2.0 - %d files", gCounters.nFilesDownloaded.load());
    Views().setTitle(title);
}

}  // namespace

void UpdateJobStatusLine()
{
    char line[256];
    std::snprintf(line, sizeof line, "Complete: %d, Processing: %d, Queued : %d, Stopped : %d, Stopping: %d links",
                  gCounters.nComplete.load(), gCounters.nProcessing.load(), gCounters.nQueued.load(),
                  gCounters.nStopped.load(), gCounters.nStopping.load());
    Views().setJobStatusLine(line);
    Views().setStatusPart(0, gCounters.nProcessing.load() != 0 ? "Processing" : "Ready", 0);
}

void RecountJobStates()
{
    // The log lines are made under the lock: once the lock is released a finished job may be
    // removed by the user-interface thread at any moment.
    std::vector<std::string> finished;
    int counts[5] = {};
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        ForEachJob([&](SCANJOB* job) {
            int32_t state = job->nState.load();
            if (state == kJobStopping && job->nActive.load() == 0) {
                // A link pushed just as the stop dropped the queue must not hold the job.
                DropJobLinks(job);
            }
            if ((state == kJobProcessing || state == kJobStopping) && !JobHasWork(job)) {
                bool stopped = state == kJobStopping;
                ReleaseVisitedTable(job);
                state = stopped ? kJobStopped : kJobComplete;
                job->nState = state;
                char message[512];
                std::snprintf(message, sizeof message, stopped ? "Stopped ( %s )" : "Complete ( %s )", job->szAddress);
                finished.emplace_back(message);
            }
            if (state >= 0 && state < 5) ++counts[state];
            return true;
        });
    }
    gCounters.nQueued = counts[kJobQueued];
    gCounters.nProcessing = counts[kJobProcessing];
    gCounters.nComplete = counts[kJobComplete];
    gCounters.nStopped = counts[kJobStopped];
    gCounters.nStopping = counts[kJobStopping];

    for (const std::string& message : finished) AppendLog(message.c_str());
    Views().jobListRedrawn();
    UpdateJobStatusLine();
}

int ForcedStopDue(SCHEDULER& s)
{
    uint32_t n = ++s.ticks;
    int64_t now = ClockNow();
    if (n % 2 == 0 && now - gCounters.tLastJobStart.load() > static_cast<int64_t>(gSettings.nLimitOprationTime) * 60)
        return 1;
    if (n % 5 == 0 && gCounters.dwTotalBytes.load() > static_cast<int64_t>(gSettings.nLimitTotalDownSize) * 1048576)
        return 1;
    if (n % 10 == 0) {
        char folder[kFolderSize];
        GetDownloadFolder(folder);
        int64_t free = FreeBytesAvailable(folder);
        if (free >= 0 && free / 1048576 < gSettings.nLimitFreeDiskSpace) return 1;
    }
    return 0;
}

void StopAllGracefully()
{
    std::vector<SCANJOB*> jobs;
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        ForEachJob([&](SCANJOB* job) {
            int32_t state = job->nState.load();
            if (state == kJobQueued || state == kJobProcessing) {
                DropJobLinks(job);
                job->nStopMode = kStopGraceful;
                job->nState = kJobStopping;
                jobs.push_back(job);
            }
            return true;
        });
    }
    for (SCANJOB* job : jobs) Views().jobRowRedrawn(job);
}

void SchedulerPass(SCHEDULER& s)
{
    STARTDECISION d = DecideStart();
    if (d.outOfMemory) {
        Views().fatalError("Not enough Memory for HTABLE");
        EndProcess(0);
    }
    if (d.job != nullptr) {
        s.idle = false;
        StartCrawlThread(d.job);
        PauseMs(2000);
    } else if (d.anyStopping) {
        // A stop made on another thread (a user's action, Ctrl-C) is finished by the recount,
        // even when nothing else would wake the scheduler from idle.
        s.idle = false;
    } else if (s.idle) {
        if (DownloadItemCount() > 0) RefreshDownloadList();
        return;
    }

    RecountJobStates();
    if (gCounters.nProcessing.load() == 0 && gCounters.nStopping.load() == 0 && gCounters.nBusyWorkers.load() == 0)
        s.idle = true;
    UpdateStatus();
    if (ForcedStopDue(s)) {
        AppendLog("Forced Stop Condition !! All Scanning Job is being gracefully stopped... ");
        StopAllGracefully();
    }
    if (DownloadItemCount() > 0) RefreshDownloadList();
}

void Scheduler()
{
    RecountJobStates();
    SCHEDULER s;
    for (;;) {
        SchedulerPass(s);
        PauseMs(1500);
    }
}

bool StartScheduler()
{
    try {
        std::thread(Scheduler).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
