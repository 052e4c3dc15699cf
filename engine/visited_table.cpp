#include "engine/visited_table.h"

#include "engine/scan_job.h"
#include "engine/url_hash.h"

#include <atomic>
#include <new>

bool MakeVisitedTable(SCANJOB* job)
{
    HTABLE* table = new (std::nothrow) HTABLE{};
    if (table == nullptr) return false;
    ReleaseVisitedTable(job);
    job->pVisited.store(table, std::memory_order_release);
    return true;
}

void ReleaseVisitedTable(SCANJOB* job)
{
    delete job->pVisited.exchange(nullptr, std::memory_order_acq_rel);
}

int IsVisited(const SCANJOB* job, uint32_t hash)
{
    const HTABLE* table = job->pVisited.load(std::memory_order_acquire);
    if (table == nullptr || hash >= kUrlHashRange) return 0;
    uint8_t& cell = const_cast<uint8_t&>(table->bits[hash / 8]);
    uint8_t byte = std::atomic_ref<uint8_t>(cell).load(std::memory_order_relaxed);
    return (byte >> (hash % 8)) & 1;
}

void MarkVisited(SCANJOB* job, uint32_t hash)
{
    HTABLE* table = job->pVisited.load(std::memory_order_acquire);
    if (table == nullptr || hash >= kUrlHashRange) return;
    std::atomic_ref<uint8_t>(table->bits[hash / 8]).fetch_or(static_cast<uint8_t>(1u << (hash % 8)),
                                                             std::memory_order_relaxed);
}
