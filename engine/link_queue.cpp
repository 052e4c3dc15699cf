#include "engine/link_queue.h"

#include "engine/job_table.h"

#include <new>

int PushJobLink(SCANJOB* job, int level, const AddressRecord& link)
{
    if (job->nStopMode.load() != kStopNone) return 0;
    LINKNODE* node = new (std::nothrow) LINKNODE{};
    if (node == nullptr) return 0;
    level = level < 0 ? 0 : level > 3 ? 3 : level;
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
    return 1;
}

SCANJOB* TakeNextDownload(AddressRecord* file)
{
    for (int index = 0, count = JobCount(); index < count; ++index) {
        SCANJOB* job = JobAt(index);
        LINKNODE* node = job->pDownHead;
        if (node == nullptr || job->nState.load() != kJobProcessing) continue;
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

int PushLocalLink(LINKQUEUE* queue, int level, const AddressRecord& link)
{
    LINKNODE* node = new (std::nothrow) LINKNODE{};
    if (node == nullptr) return 0;
    node->nLevel = level;
    node->link = link;
    LINKNODE* last = queue->end.pPrev;
    node->pPrev = last;
    node->pNext = &queue->end;
    if (last == nullptr)
        queue->first = node;
    else
        last->pNext = node;
    queue->end.pPrev = node;
    return 1;
}

int PopLocalLink(LINKQUEUE* queue, AddressRecord* link)
{
    LINKNODE* node = queue->first;
    if (node == &queue->end) return -1;
    *link = node->link;
    int level = node->nLevel;
    queue->first = node->pNext;
    if (queue->first == &queue->end)
        queue->end.pPrev = nullptr;
    else
        queue->first->pPrev = nullptr;
    delete node;
    return level;
}

void ClearLocalLinks(LINKQUEUE* queue)
{
    for (LINKNODE* node = queue->first; node != &queue->end;) {
        LINKNODE* next = node->pNext;
        delete node;
        node = next;
    }
    queue->first = &queue->end;
    queue->end.pPrev = nullptr;
}

LINKQUEUE::~LINKQUEUE()
{
    ClearLocalLinks(this);
}
