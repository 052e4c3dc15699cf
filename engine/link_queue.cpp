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
    LINKNODE* node = new (std::nothrow) LINKNODE{};
    if (node == nullptr) return 0;
    level = ClampLevel(level);
    node->nLevel = level;
    node->link = link;
    if (job->pHead[level] == nullptr) {
        job->pHead[level] = node;
    } else {
        job->pTail[level]->pNext = node;
        node->pPrev = job->pTail[level];
    }
    job->pTail[level] = node;
    job->nFound.fetch_add(1);
    job->nLeft.fetch_add(1);
    PostWork();
    return 1;
}

int TakeNextLink(SCANJOB** taken, AddressRecord* link)
{
    for (int index = 0, count = JobCount(); index < count; ++index) {
        SCANJOB* job = JobAt(index);
        if (job->nState.load() != kJobProcessing) continue;
        for (int level = 0; level < kLinkLevels; ++level) {
            LINKNODE* node = job->pHead[level];
            if (node == nullptr) continue;
            *link = node->link;
            job->pHead[level] = node->pNext;
            if (node->pNext != nullptr)
                node->pNext->pPrev = nullptr;
            else
                job->pTail[level] = nullptr;
            delete node;
            job->nLeft.fetch_sub(1);
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
    LINKNODE* node = new (std::nothrow) LINKNODE{};
    if (node == nullptr) return 0;
    node->link = file;
    if (job->pDownHead == nullptr)
        job->pDownHead = node;
    else
        job->pDownTail->pNext = node;
    job->pDownTail = node;
    job->nDownQueued.fetch_add(1);
    PostWork();
    return 1;
}

SCANJOB* TakeNextDownload(AddressRecord* file, int waiting)
{
    for (int index = 0, count = JobCount(); index < count; ++index) {
        SCANJOB* job = JobAt(index);
        LINKNODE* node = job->pDownHead;
        if (node == nullptr || job->nDownQueued.load() < waiting || job->nState.load() != kJobProcessing) continue;
        *file = node->link;
        job->pDownHead = node->pNext;
        if (job->pDownHead == nullptr) job->pDownTail = nullptr;
        delete node;
        job->nDownQueued.fetch_sub(1);
        return job;
    }
    return nullptr;
}

void DropJobLinks(SCANJOB* job)
{
    for (LINKNODE* node = job->pDownHead; node != nullptr;) {
        LINKNODE* next = node->pNext;
        delete node;
        job->nDownQueued.fetch_sub(1);
        node = next;
    }
    job->pDownHead = nullptr;
    job->pDownTail = nullptr;
    for (LINKNODE* node = job->pRelHead; node != nullptr;) {
        LINKNODE* next = node->pNext;
        delete node;
        job->nRelQueued.fetch_sub(1);
        node = next;
    }
    job->pRelHead = nullptr;
    job->pRelTail = nullptr;
    for (int level = 0; level < kLinkLevels; ++level) {
        for (LINKNODE* node = job->pHead[level]; node != nullptr;) {
            LINKNODE* next = node->pNext;
            delete node;
            job->nLeft.fetch_sub(1);
            node = next;
        }
        job->pHead[level] = nullptr;
        job->pTail[level] = nullptr;
    }
}

int PushJobRelative(SCANJOB* job, int level, const AddressRecord& link)
{
    if (job->nStopMode.load() != kStopNone) return 0;
    LINKNODE* node = new (std::nothrow) LINKNODE{};
    if (node == nullptr) return 0;
    node->nLevel = ClampLevel(level);
    node->link = link;
    if (job->pRelHead == nullptr)
        job->pRelHead = node;
    else
        job->pRelTail->pNext = node;
    job->pRelTail = node;
    job->nRelQueued.fetch_add(1);
    PostWork();
    return 1;
}

int TakeJobRelative(SCANJOB* job, AddressRecord* link)
{
    LINKNODE* node = job->pRelHead;
    if (node == nullptr) return -1;
    const int level = node->nLevel;
    for (int shallower = 0; shallower < level; ++shallower)
        if (job->nScanning[shallower] > 0) return -1;
    *link = node->link;
    job->pRelHead = node->pNext;
    if (job->pRelHead == nullptr) job->pRelTail = nullptr;
    delete node;
    job->nRelQueued.fetch_sub(1);
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
