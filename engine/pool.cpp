#include "engine/pool.h"

#include "engine/job_table.h"
#include "http/file_download.h"
#include "platform/clock.h"
#include "settings/settings.h"

#include <new>
#include <system_error>
#include <thread>

int PoolWorkerStep(POOLWORKER& w)
{
    CRAWLER& c = w.crawler;
    SCANJOB* job = nullptr;
    int level = -1;
    bool download = false;
    bool relative = false;  // a relative link, counted in the job's nScanning until read
    {
        // Pages first, since they find the work: a shared link, then a relative one. Downloads
        // go first only for a job with a long backlog of them, which bounds the queue's memory.
        std::lock_guard<std::mutex> lock(gEngineLock);
        job = TakeNextDownload(&c.resolved, kDownloadBacklog);
        download = job != nullptr;
        if (job == nullptr) level = TakeNextLink(&job, &c.base);
        if (job == nullptr) {
            job = TakeNextRelative(&c.base, &level);
            relative = job != nullptr;
        }
        if (job == nullptr) {
            job = TakeNextDownload(&c.resolved);
            download = job != nullptr;
        }
        if (job != nullptr)
            job->nActive.fetch_add(1);
        else
            w.seenPosts = WorkPosts();
    }
    if (job == nullptr) {
        if (w.busy) {
            w.busy = false;
            gCounters.nBusyWorkers.fetch_sub(1);
        }
        return 1000;
    }
    if (!w.busy) {
        w.busy = true;
        gCounters.nBusyWorkers.fetch_add(1);
    }

    if (job->nStopMode.load() != kStopNone) {
        // Work of a job being stopped: the whole queue goes, the taken link or file with it.
        std::lock_guard<std::mutex> lock(gEngineLock);
        DropJobLinks(job);
        if (relative) EndScan(job, level);
    } else if (download) {
        DownloadFile(job, c.resolved);
    } else if (relative) {
        ReadRelativePage(c, job, level);
    } else if (FetchPage(job->nStopMode, &c.base, c.page) > 0) {
        // One page a step, so that the worker weighs pages against downloads again before its
        // next piece of work.
        ScanPage(c, job, level);
    }
    // The job may finish and be released once nActive reaches 0: nothing touches it after.
    job->nActive.fetch_sub(1);
    return 0;
}

void PoolWorker(POOLWORKER* worker)
{
    for (;;) {
        int pause = PoolWorkerStep(*worker);
        if (pause <= 0) continue;
        if (PauseReplacedForTest()) {
            PauseMs(pause);
        } else {
            std::unique_lock<std::mutex> lock(gEngineLock);
            WaitForWork(lock, worker->seenPosts, pause);
        }
    }
}

namespace {

// The buffers are made before the thread, so a worker that runs always has them and a worker
// that cannot have them is never counted. False when either cannot be had.
bool StartWorker()
{
    POOLWORKER* worker = new (std::nothrow) POOLWORKER;
    if (worker == nullptr) return false;
    try {
        std::thread(PoolWorker, worker).detach();  // the thread owns it for the rest of the process
        return true;
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    delete worker;
    return false;
}

}  // namespace

int StartPool()
{
    int wanted = gSettings.nThreads < 0 ? 0 : gSettings.nThreads > kMaxPoolWorkers ? kMaxPoolWorkers : gSettings.nThreads;
    int started = 0;
    int failures = 0;
    while (started < wanted && failures < 200) {
        if (StartWorker()) {
            ++started;
            failures = 0;
        } else {
            ++failures;
            PauseMs(1000);
        }
    }
    return started;
}
