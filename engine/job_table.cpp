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

// The address without "https://", or from its eighth character on.
const char* AfterScheme(const char* address)
{
    if (std::strncmp(address, "https://", 8) == 0) return address + 8;
    return std::strlen(address) >= 7 ? address + 7 : "";
}

// Equal texts with a to z read as A to Z, as the address hash reads them.
bool SameFolded(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char x = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 'a' + 'A') : *a;
        char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 'a' + 'A') : *b;
        if (x != y) return false;
        if (x == '\0') return true;
    }
}

bool FindDuplicateJobLocked(uint32_t hash, const char* address)
{
    // The hash only filters; the texts decide, so a colliding address is still accepted.
    for (const SCANJOB* job : gJobs)
        if (job->dwHash == hash && SameFolded(AfterScheme(job->szAddress), AfterScheme(address))) return true;
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
    return UrlHash(AfterScheme(address));
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
        if (FindDuplicateJobLocked(job->dwHash, job->szAddress)) {
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

bool FindDuplicateJob(const char* address)
{
    std::lock_guard<std::mutex> lock(gEngineLock);
    return FindDuplicateJobLocked(AddressHash(address), address);
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
