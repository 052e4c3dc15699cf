// The pool workers: a fixed set of threads serving the shared link queues of all jobs.
#pragma once

#include "engine/crawler.h"

inline constexpr int kMaxPoolWorkers = 100;

struct POOLWORKER {
    CRAWLER crawler;
    bool busy = false;  // counted in nBusyWorkers from its first taken link until a take finds nothing
};

// Starts nThreads workers (at most 100) and returns how many started. A worker whose buffers
// or thread cannot be had counts as a failed start: pause 1,000 ms and try again, and give up
// after 200 failures in a row.
int StartPool();

// The worker body: PoolWorkerStep forever on its own buffers, pausing as it says.
void PoolWorker(POOLWORKER* worker);

// One round of a worker: take a link and work on it and its relative links, or find nothing.
// Returns the pause in milliseconds before the next round (1,000 when there was no work).
int PoolWorkerStep(POOLWORKER& worker);
