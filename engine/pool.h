// The pool workers: a fixed set of threads serving the shared link queues of all jobs.
#pragma once

#include "engine/crawler.h"

inline constexpr int kMaxPoolWorkers = 100;
// Queued downloads a job may gather before the workers serve them ahead of its pages; below
// that, pages go first, since they find the work.
inline constexpr int kDownloadBacklog = 500;

struct POOLWORKER {
    CRAWLER crawler;
    bool busy = false;  // counted in nBusyWorkers from its first taken link until a take finds nothing
    uint64_t seenPosts = 0;  // the work posts counted when its last take found nothing
};

// Starts nThreads workers (at most 100) and returns how many started. A worker whose buffers
// or thread cannot be had counts as a failed start: pause 1,000 ms and try again, and give up
// after 200 failures in a row.
int StartPool();

// The worker body: PoolWorkerStep forever on its own buffers. After a round that found nothing
// it waits 1,000 ms, or less when work is posted meanwhile (with a test's pause installed, the
// pause instead).
void PoolWorker(POOLWORKER* worker);

// One round of a worker: take a download, a shared link or a relative link and work on it, or
// find nothing. Returns the pause in milliseconds before the next round (1,000 when there was
// no work).
int PoolWorkerStep(POOLWORKER& worker);
