// Pages still to fetch: each job's shared queue of four levels (absolute links, taken by the
// pool workers, under the engine lock) and each thread's own local queue (relative links).
#pragma once

#include "engine/scan_job.h"
#include "http/address.h"

struct LINKNODE {
    int32_t nLevel;
    AddressRecord link;
    LINKNODE* pNext;
    LINKNODE* pPrev;
};

// One thread's first-in first-out queue, never locked. It ends in its own end marker and is
// empty when its first node is the marker.
struct LINKQUEUE {
    LINKQUEUE() { first = &end; end.pPrev = nullptr; }
    LINKQUEUE(const LINKQUEUE&) = delete;
    LINKQUEUE& operator=(const LINKQUEUE&) = delete;
    ~LINKQUEUE();

    LINKNODE end{};
    LINKNODE* first;
};

// The shared queue; the caller holds the engine lock for each of these.
// Appends at the level (clamped to 0 to 3) and raises nFound and nLeft. 0 when no node could
// be had, and for a job being stopped: its queue has been dropped and must stay empty.
int PushJobLink(SCANJOB* job, int level, const AddressRecord& link);
// Takes the oldest link of the lowest level of the first Processing job in table order that
// has one. Returns its level and sets `job`, or -1 and nullptr.
int TakeNextLink(SCANJOB** job, AddressRecord* link);
// Releases every queued link and queued download of the job.
void DropJobLinks(SCANJOB* job);

// The download queue of each job; the caller holds the engine lock.
// Appends a file to download. 0 when no node could be had, and for a job being stopped.
int PushJobDownload(SCANJOB* job, const AddressRecord& file);
// Takes the oldest queued download of the first Processing job in table order that has one.
// Returns the job, or nullptr.
SCANJOB* TakeNextDownload(AddressRecord* file);

// The local queue.
int PushLocalLink(LINKQUEUE* queue, int level, const AddressRecord& link);
// Copies the first link out and returns its level, or -1 when the queue is empty.
int PopLocalLink(LINKQUEUE* queue, AddressRecord* link);
void ClearLocalLinks(LINKQUEUE* queue);
