// What the user can do to a job (from the job list's menu, or Ctrl-C in the terminal).
// Called on the user-interface thread, which alone removes jobs, so the records stay valid
// across each action's own redraw. Every stop is finished by the scheduler's next recount.
#pragma once

#include "engine/job_table.h"

struct SCANJOB;

enum class TypedResult { Added, AlreadyPresent, OutOfMemory, Refused };

// Adds a typed address as the address box does: the scheme and the host are lower-cased (the
// path and query keep their case); an address that does not begin with "http://" or
// "https://" followed by at least one character is refused with the log line
// "Type correct url". Out of memory is logged too.
TypedResult AddTypedAddress(const char* typed, int format, int depth);

// A Processing job: its queued links are dropped and it becomes Stopping (graceful).
// Other states are left as they are. Returns 1 when the job was stopped.
int StopJobGracefully(SCANJOB* job);

// Any job: a Processing job's links are dropped; it becomes Stopping (immediate), which also
// ends its transfers in progress.
int StopJobImmediately(SCANJOB* job);

// A Complete or Stopped job becomes Queued again with its counts cleared.
int RescanJob(SCANJOB* job);
