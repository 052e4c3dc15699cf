// The scheduler: admits queued jobs, recounts job states (where jobs finish), keeps the status
// displays up to date and applies the forced-stop limits.
#pragma once

#include <cstdint>

struct SCANJOB;

struct SCHEDULER {
    bool idle = true;    // only looking for a job to start and refreshing the downloads list
    uint32_t ticks = 0;  // forced-stop tests made
};

// Starts the scheduler thread.
bool StartScheduler();

// The thread body: SchedulerPass forever, 1,500 ms apart.
void Scheduler();

// One pass: start the first Queued job if the pool has room (then pause 2,000 ms), update the
// counts, status, title and forced-stop test unless idle, refresh the downloads list.
void SchedulerPass(SCHEDULER& scheduler);

// Recounts the jobs per state, finishing Processing and Stopping jobs that have no work left.
void RecountJobStates();

// 1 when a forced-stop condition holds: time since the last job start (every second tick),
// total bytes (every fifth), free space on the download folder's volume (every tenth).
int ForcedStopDue(SCHEDULER& scheduler);

// Stops every Queued and Processing job gracefully.
void StopAllGracefully();

// The job list's status line: "Complete: %d, Processing: %d, ..." from the last recount.
void UpdateJobStatusLine();
