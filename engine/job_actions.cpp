#include "engine/job_actions.h"

#include "engine/job_table.h"
#include "engine/link_queue.h"
#include "engine/log_entry.h"
#include "engine/views.h"
#include "http/address.h"

#include <cstring>

TypedResult AddTypedAddress(const char* typed, int format, int depth)
{
    char address[kAddressSize];
    std::strncpy(address, typed, sizeof address - 1);
    address[sizeof address - 1] = '\0';
    // Scheme and host are case-blind; most servers tell /Gallery from /gallery.
    char* afterScheme = std::strstr(address, "://");
    char* hostEnd = afterScheme ? std::strchr(afterScheme + 3, '/') : nullptr;
    char* end = hostEnd ? hostEnd : address + std::strlen(address);
    for (char* c = address; c < end; ++c)
        if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
    int scheme = SchemeLength(address);
    if (scheme == 0 || std::strlen(address) <= static_cast<size_t>(scheme)) {
        AppendLog("Type correct url");
        return TypedResult::Refused;
    }
    switch (AddScanJob(address, format, depth)) {
    case AddResult::Added: return TypedResult::Added;
    case AddResult::AlreadyPresent: return TypedResult::AlreadyPresent;
    case AddResult::OutOfMemory: break;
    }
    AppendLog("Failed to insert Scan item(out of memory)");
    return TypedResult::OutOfMemory;
}

// Each action tests and changes the state under the engine lock, so it never mixes with a start
// or a finish made by the scheduler at the same moment.
int StopJobGracefully(SCANJOB* job)
{
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        if (job->nState.load() != kJobProcessing) return 0;
        DropJobLinks(job);
        job->nStopMode = kStopGraceful;
        job->nState = kJobStopping;
    }
    Views().jobRowRedrawn(job);
    return 1;
}

int StopJobImmediately(SCANJOB* job)
{
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        if (job->nState.load() == kJobProcessing) DropJobLinks(job);
        job->nStopMode = kStopImmediate;
        job->nState = kJobStopping;
    }
    Views().jobRowRedrawn(job);
    return 1;
}

int RescanJob(SCANJOB* job)
{
    {
        std::lock_guard<std::mutex> lock(gEngineLock);
        int32_t state = job->nState.load();
        if (state != kJobComplete && state != kJobStopped) return 0;
        job->nStopMode = kStopNone;
        job->nLeft = 0;
        job->nFound = 0;
        job->nSize = 0;
        job->nFiles = 0;
        job->bStartFailed = 0;
        job->nState = kJobQueued;
    }
    Views().jobRowRedrawn(job);
    return 1;
}
