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
#include "settings/settings.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

namespace {

void StartJob(SCANJOB* job)
{
    gCounters.tLastJobStart = ClockNow();
    if (!MakeVisitedTable(job)) {
        Views().fatalError("Not enough Memory for HTABLE");
        std::exit(0);
    }
    job->nState = kJobProcessing;
    job->nActive.fetch_add(1);
    try {
        std::thread(CrawlJob, job).detach();
    } catch (const std::system_error&) {
        job->nActive.fetch_sub(1);  // the job then completes at the next recount
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
    struct Finished {
        SCANJOB* job;
        bool stopped;
    };
    std::vector<SCANJOB*> jobs;
    std::vector<Finished> finished;
    int counts[5] = {};
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        jobs.reserve(static_cast<size_t>(JobCount()));
        ForEachJob([&](SCANJOB* job) {
            jobs.push_back(job);
            int32_t state = job->nState.load();
            if (state == kJobStopping && job->nActive.load() == 0) {
                // A link pushed just as the stop dropped the queue must not hold the job.
                DropJobLinks(job);
            }
            bool idle = job->nLeft.load() == 0 && job->nActive.load() == 0;
            if (state == kJobProcessing && idle) {
                job->nState = kJobComplete;
                finished.push_back({job, false});
                state = kJobComplete;
            } else if (state == kJobStopping && idle) {
                job->nState = kJobStopped;
                finished.push_back({job, true});
                state = kJobStopped;
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

    for (const Finished& f : finished) {
        ReleaseVisitedTable(f.job);
        char message[512];
        std::snprintf(message, sizeof message, f.stopped ? "Stopped ( %s )" : "Complete ( %s )", f.job->szAddress);
        AppendLog(message);
    }
    for (SCANJOB* job : jobs) Views().jobRowRedrawn(job);
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
    SCANJOB* job = nullptr;
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        FirstQueuedJob(&job);
    }
    if (job != nullptr && gCounters.nBusyWorkers.load() < gSettings.nThreads - 10 && gCounters.nProcessing.load() <= 5) {
        s.idle = false;
        StartJob(job);
        PauseMs(2000);
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
