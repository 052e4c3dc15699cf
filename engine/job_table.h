// The job table: the ordered list of all scan jobs, the engine counters and the engine lock.
// The table's order is the row order of the job list: the scheduler starts the first Queued
// job in it and pool workers serve the first Processing job in it.
#pragma once

#include "engine/scan_job.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

// Guards the table's membership and order, every job's shared link queue with nFound and
// nLeft, and the test that a job has no work left. Never held across a transfer, a file
// write, a sleep or a call into a view.
extern std::mutex gEngineLock;

struct ENGINECOUNTERS {
    // Jobs per state as of the last recount; AddScanJob raises nQueued at once.
    std::atomic<int32_t> nQueued;
    std::atomic<int32_t> nProcessing;
    std::atomic<int32_t> nComplete;
    std::atomic<int32_t> nStopped;
    std::atomic<int32_t> nStopping;
    std::atomic<int32_t> nBusyWorkers;
    std::atomic<int32_t> nFilesDownloaded;
    std::atomic<int64_t> dwTotalBytes;  // bytes received by all file downloads
    std::atomic<int64_t> tLastJobStart;
};
extern ENGINECOUNTERS gCounters;

enum class AddResult { Added, AlreadyPresent, OutOfMemory };

// "Queued", "Processing", "Complete", "Stopped", "Stopping"; empty outside 0 to 4.
const char* JobStateName(int32_t state);

// Every job in table order, taken under the engine lock.
std::vector<SCANJOB*> JobsSnapshot();

// Appends a Queued job for `address` (a full "http://" or "https://" address) unless a listed
// job has the same address after its scheme, letter case aside. Logs the outcome; OutOfMemory is left to the caller to report.
AddResult AddScanJob(const char* address, int format, int depth);

// The address hash of a job's address: the URL hash of its text after "https://", or from
// its eighth character on.
uint32_t AddressHash(const char* address);

// True when a listed job has the same address as `address` after the scheme, letter case
// aside. Takes the engine lock itself.
bool FindDuplicateJob(const char* address);

// Removes a Queued, Complete or Stopped job: its row, its table entry and its record.
// Returns 1 when removed, 0 for an index out of range or a job in another state.
int RemoveJob(int index);

// The following read the table and must be called with the engine lock held.
int JobCount();
SCANJOB* JobAt(int index);
// Index of the first Queued job in table order, or -1; `job` receives it or nullptr.
int FirstQueuedJob(SCANJOB** job);
// Calls fn(job) for every job in table order; fn returns false to end the walk early.
template <typename Fn>
void ForEachJob(Fn&& fn)
{
    for (int index = 0, count = JobCount(); index < count; ++index)
        if (!fn(JobAt(index))) return;
}

// Puts the table in the order of `order`, which must hold exactly the table's jobs (the job
// list's rows after a sort). Takes the engine lock. False, and no change, otherwise.
bool ReorderJobs(const std::vector<SCANJOB*>& order);

// Tests only: empties the table, releasing every record, and zeroes the counters.
void ResetEngineForTest();
