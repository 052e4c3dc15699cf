#include "engine/job_table.h"

#include "engine/link_queue.h"
#include "engine/log_entry.h"
#include "engine/url_hash.h"
#include "engine/views.h"
#include "engine/visited_table.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

std::mutex gEngineLock;
ENGINECOUNTERS gCounters;

namespace {

std::vector<SCANJOB*> gJobs;

bool FindJobByHashLocked(uint32_t hash)
{
    for (const SCANJOB* job : gJobs)
        if (job->dwHash == hash) return true;
    return false;
}

}  // namespace

const char* JobStateName(int32_t state)
{
    static const char* const kNames[] = {"Queued", "Processing", "Complete", "Stopped", "Stopping"};
    return state >= 0 && state <= 4 ? kNames[state] : "";
}

std::vector<SCANJOB*> JobsSnapshot()
{
    std::lock_guard<std::mutex> lock(gEngineLock);
    return gJobs;
}

uint32_t AddressHash(const char* address)
{
    return UrlHash(std::strlen(address) >= 7 ? address + 7 : "");
}

AddResult AddScanJob(const char* address, int format, int depth)
{
    SCANJOB* job = new (std::nothrow) SCANJOB{};
    if (job == nullptr) return AddResult::OutOfMemory;

    std::strncpy(job->szAddress, address, kAddressSize - 1);
    job->nState = kJobQueued;
    job->nFormat = format;
    job->nDepth = depth;
    job->dwHash = AddressHash(job->szAddress);

    AddResult result = AddResult::Added;
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        if (FindJobByHashLocked(job->dwHash)) {
            result = AddResult::AlreadyPresent;
        } else {
            try {
                gJobs.push_back(job);
            } catch (const std::bad_alloc&) {
                result = AddResult::OutOfMemory;
            }
        }
    }

    if (result != AddResult::Added) {
        if (result == AddResult::AlreadyPresent) LogFormat("Already in Scanning Address List( %s )", job->szAddress);
        delete job;
        return result;
    }
    gCounters.nQueued.fetch_add(1);
    Views().jobRowAdded(job);
    LogFormat("Added to Scanning Address List( %s )", job->szAddress);
    return AddResult::Added;
}

bool FindJobByHash(uint32_t hash)
{
    std::lock_guard<std::mutex> lock(gEngineLock);
    return FindJobByHashLocked(hash);
}

int RemoveJob(int index)
{
    SCANJOB* job = nullptr;
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        if (index < 0 || index >= static_cast<int>(gJobs.size())) return 0;
        int32_t state = gJobs[index]->nState.load();
        if (state != kJobQueued && state != kJobComplete && state != kJobStopped) return 0;
        job = gJobs[index];
        DropJobLinks(job);
        gJobs.erase(gJobs.begin() + index);
    }
    Views().jobRowRemoved(job);
    ReleaseVisitedTable(job);
    delete job;
    return 1;
}

int JobCount()
{
    return static_cast<int>(gJobs.size());
}

SCANJOB* JobAt(int index)
{
    return gJobs[index];
}

int FirstQueuedJob(SCANJOB** job)
{
    for (int index = 0; index < JobCount(); ++index) {
        if (gJobs[index]->nState.load() == kJobQueued) {
            *job = gJobs[index];
            return index;
        }
    }
    *job = nullptr;
    return -1;
}

bool ReorderJobs(const std::vector<SCANJOB*>& order)
{
    std::lock_guard<std::mutex> lock(gEngineLock);
    if (order.size() != gJobs.size() || !std::is_permutation(order.begin(), order.end(), gJobs.begin())) return false;
    gJobs = order;
    return true;
}

void ResetEngineForTest()
{
    std::vector<SCANJOB*> jobs;
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        jobs.swap(gJobs);
    }
    for (SCANJOB* job : jobs) {
        DropJobLinks(job);
        ReleaseVisitedTable(job);
        delete job;
    }
    gCounters.nQueued = 0;
    gCounters.nProcessing = 0;
    gCounters.nComplete = 0;
    gCounters.nStopped = 0;
    gCounters.nStopping = 0;
    gCounters.nBusyWorkers = 0;
    gCounters.nFilesDownloaded = 0;
    gCounters.dwTotalBytes = 0;
    gCounters.tLastJobStart = 0;
}
