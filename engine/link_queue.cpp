#include "engine/link_queue.h"

#include "engine/job_table.h"

#include <chrono>
#include <condition_variable>
#include <new>

namespace {

int ClampLevel(int level)
{
    return level < 0 ? 0 : level >= kLinkLevels ? kLinkLevels - 1 : level;
}

// Guarded by the engine lock.
uint64_t gWorkPosts = 0;
std::condition_variable gWorkPosted;

void PostWork(bool everyone = false)
{
    ++gWorkPosts;
    if (everyone)
        gWorkPosted.notify_all();
    else
        gWorkPosted.notify_one();
}

// A job's first-in first-out list of nodes (its downloads, its relative links, or one level of
// its shared queue) with the count that goes with it. Only the shared queue's levels keep
// pPrev.
struct NODELIST {
    LINKNODE*& head;
    LINKNODE*& tail;
    std::atomic<int32_t>& count;
};

// Appends a new node for `link`, or gives 0 when none can be had.
int Append(NODELIST list, int level, const AddressRecord& link)
{
    LINKNODE* node = new (std::nothrow) LINKNODE{};
    if (node == nullptr) return 0;
    node->nLevel = level;
    node->link = link;
    if (list.head == nullptr)
        list.head = node;
    else
        list.tail->pNext = node;
    list.tail = node;
    list.count.fetch_add(1);
    PostWork();
    return 1;
}

// Copies the first node's link out and releases the node; the list holds one.
void TakeFirst(NODELIST list, AddressRecord* link)
{
    LINKNODE* node = list.head;
    *link = node->link;
    list.head = node->pNext;
    if (list.head == nullptr)
        list.tail = nullptr;
    else
        list.head->pPrev = nullptr;
    delete node;
    list.count.fetch_sub(1);
}

void ReleaseAll(NODELIST list)
{
    for (LINKNODE* node = list.head; node != nullptr;) {
        LINKNODE* next = node->pNext;
        delete node;
        list.count.fetch_sub(1);
        node = next;
    }
    list.head = nullptr;
    list.tail = nullptr;
}

NODELIST Downloads(SCANJOB* job)
{
    return {job->pDownHead, job->pDownTail, job->nDownQueued};
}

NODELIST Relatives(SCANJOB* job)
{
    return {job->pRelHead, job->pRelTail, job->nRelQueued};
}

NODELIST SharedLevel(SCANJOB* job, int level)
{
    return {job->pHead[level], job->pTail[level], job->nLeft};
}

}  // namespace

uint64_t WorkPosts()
{
    return gWorkPosts;
}

void WaitForWork(std::unique_lock<std::mutex>& lock, uint64_t seen, int milliseconds)
{
    gWorkPosted.wait_for(lock, std::chrono::milliseconds(milliseconds), [seen] { return gWorkPosts != seen; });
}

int PushJobLink(SCANJOB* job, int level, const AddressRecord& link)
{
    if (job->nStopMode.load() != kStopNone) return 0;
    level = ClampLevel(level);
    LINKNODE* last = job->pTail[level];
    if (!Append(SharedLevel(job, level), level, link)) return 0;
    job->pTail[level]->pPrev = last;
    job->nFound.fetch_add(1);
    return 1;
}

int TakeNextLink(SCANJOB** taken, AddressRecord* link)
{
    for (int index = 0, count = JobCount(); index < count; ++index) {
        SCANJOB* job = JobAt(index);
        if (job->nState.load() != kJobProcessing) continue;
        for (int level = 0; level < kLinkLevels; ++level) {
            if (job->pHead[level] == nullptr) continue;
            TakeFirst(SharedLevel(job, level), link);
            *taken = job;
            return level;
        }
    }
    *taken = nullptr;
    return -1;
}

int PushJobDownload(SCANJOB* job, const AddressRecord& file)
{
    if (job->nStopMode.load() != kStopNone) return 0;
    return Append(Downloads(job), 0, file);
}

SCANJOB* TakeNextDownload(AddressRecord* file, int waiting)
{
    for (int index = 0, count = JobCount(); index < count; ++index) {
        SCANJOB* job = JobAt(index);
        if (job->pDownHead == nullptr || job->nDownQueued.load() < waiting || job->nState.load() != kJobProcessing)
            continue;
        TakeFirst(Downloads(job), file);
        return job;
    }
    return nullptr;
}

void DropJobLinks(SCANJOB* job)
{
    ReleaseAll(Downloads(job));
    ReleaseAll(Relatives(job));
    for (int level = 0; level < kLinkLevels; ++level) ReleaseAll(SharedLevel(job, level));
}

bool JobHasWork(const SCANJOB* job)
{
    return job->nActive.load() != 0 || job->nLeft.load() != 0 || job->nDownQueued.load() != 0 ||
           job->nRelQueued.load() != 0;
}

int PushJobRelative(SCANJOB* job, int level, const AddressRecord& link)
{
    if (job->nStopMode.load() != kStopNone) return 0;
    return Append(Relatives(job), ClampLevel(level), link);
}

int TakeJobRelative(SCANJOB* job, AddressRecord* link)
{
    if (job->pRelHead == nullptr) return -1;
    const int level = job->pRelHead->nLevel;
    for (int shallower = 0; shallower < level; ++shallower)
        if (job->nScanning[shallower] > 0) return -1;
    TakeFirst(Relatives(job), link);
    ++job->nScanning[level];
    return level;
}

SCANJOB* TakeNextRelative(AddressRecord* link, int* level)
{
    for (int index = 0, count = JobCount(); index < count; ++index) {
        SCANJOB* job = JobAt(index);
        if (job->pRelHead == nullptr || job->nState.load() != kJobProcessing) continue;
        *level = TakeJobRelative(job, link);
        if (*level >= 0) return job;
    }
    return nullptr;
}

void BeginScan(SCANJOB* job, int level)
{
    ++job->nScanning[ClampLevel(level)];
}

void EndScan(SCANJOB* job, int level)
{
    // The last page of a level read may let waiting relative links be taken.
    if (--job->nScanning[ClampLevel(level)] == 0 && job->pRelHead != nullptr) PostWork(true);
}
