// Work still to do for each job, all under the engine lock: the shared queue of four levels
// (absolute page links, taken by the pool workers), the relative page links, and the files to
// download.
#pragma once

#include "engine/scan_job.h"
#include "http/address.h"

#include <cstdint>
#include <mutex>

struct LINKNODE {
    int32_t nLevel;
    AddressRecord link;
    LINKNODE* pNext;
    LINKNODE* pPrev;
};

// The shared queue; the caller holds the engine lock for each of these.
// Appends at the level (clamped to 0 to 3) and raises nFound and nLeft. 0 when no node could
// be had, and for a job being stopped: its queue has been dropped and must stay empty.
int PushJobLink(SCANJOB* job, int level, const AddressRecord& link);
// Takes the oldest link of the lowest level of the first Processing job in table order that
// has one. Returns its level and sets `job`, or -1 and nullptr.
int TakeNextLink(SCANJOB** job, AddressRecord* link);
// Releases every queued link, relative link and queued download of the job.
void DropJobLinks(SCANJOB* job);
// True while the job has work: a thread on one of its pages or files, or anything queued.
bool JobHasWork(const SCANJOB* job);

// The download queue of each job; the caller holds the engine lock.
// Appends a file to download. 0 when no node could be had, and for a job being stopped.
int PushJobDownload(SCANJOB* job, const AddressRecord& file);
// Takes the oldest queued download of the first Processing job in table order that has at
// least `waiting` of them. Returns the job, or nullptr.
SCANJOB* TakeNextDownload(AddressRecord* file, int waiting = 1);

// The relative page links of each job; the caller holds the engine lock.
// Appends a link at the level (clamped to 0 to 3). 0 when no node could be had, and for a job
// being stopped.
int PushJobRelative(SCANJOB* job, int level, const AddressRecord& link);
// Takes the job's oldest relative link, unless a relative page (or the start page) of a
// smaller level is still being read (nScanning). Returns its level, counted in nScanning
// until EndScan, or -1: nothing to take now (a worker takes it once those pages are read).
int TakeJobRelative(SCANJOB* job, AddressRecord* link);
// The same for the first Processing job in table order that has a relative link to take.
// Returns the job and sets `level`, or nullptr.
SCANJOB* TakeNextRelative(AddressRecord* link, int* level);
// A page of the job at `level` is being fetched or scanned, and is done.
void BeginScan(SCANJOB* job, int level);
void EndScan(SCANJOB* job, int level);

// Work posted for idle workers: every link, relative link and download queued counts one post
// and wakes one waiting worker; a level freed while relative links wait wakes them all.
// The caller holds the engine lock.
uint64_t WorkPosts();
// Waits, with the engine lock held by `lock` released meanwhile, until work is posted after
// the count `seen`, or `milliseconds` pass.
void WaitForWork(std::unique_lock<std::mutex>& lock, uint64_t seen, int milliseconds);
