// The pool workers: a fixed set of threads serving the shared link queues of all jobs.
#pragma once

#include "engine/crawler.h"

inline constexpr int kMaxPoolWorkers = 100;

struct POOLWORKER {
    CRAWLER crawler;
    bool busy = false;  // counted in nBusyWorkers from its first taken link until a take finds nothing
};

// Starts nThreads workers (at most 100) and returns how many started.
int StartPool();

// The worker body: PoolWorkerStep forever, pausing as it says.
void PoolWorker();

// One round of a worker: take a link and work on it and its relative links, or find nothing.
// Returns the pause in milliseconds before the next round (1,000 when there was no work).
int PoolWorkerStep(POOLWORKER& worker);
