// The visited record of a running job: the exact set of page keys it has queued.
// A key counts as seen only when that same key was marked. Letter case is folded (a to z
// read as A to Z) and only the first 499 characters count, as in the URL hash.
//
// Keys live in an open-addressing table of 64-bit key hashes, each slot pointing at the
// key's text in an arena; a hash match is confirmed by comparing the texts, so two keys are
// never taken for one. The table grows with the job.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

struct SCANJOB;

inline constexpr int kVisitedKeyMax = 499;  // characters of a key that count

struct VISITEDSLOT {
    uint64_t hash;     // 0: empty
    const char* text;  // the folded key in the arena
};

// One piece of the arena: the header, then `size` bytes of NUL-terminated key texts.
struct VISITEDBLOCK {
    VISITEDBLOCK* next;
    size_t size;
    char* Text() { return reinterpret_cast<char*>(this + 1); }
};

struct HTABLE {
    // Guards the slots and the arena: test and mark are one step for the threads of one job.
    // One lock per job; the engine lock is never taken for it.
    std::mutex lock;
    VISITEDSLOT* slots = nullptr;
    size_t capacity = 0;  // a power of two
    size_t count = 0;
    VISITEDBLOCK* blocks = nullptr;  // newest first
    size_t blockUsed = 0;            // bytes used in the newest block
    size_t bytes = 0;                // memory held, for the figures
};

// Makes the job's empty table; false when its first memory cannot be had.
bool MakeVisitedTable(SCANJOB* job);
// Releases the job's table; without one it does nothing.
void ReleaseVisitedTable(SCANJOB* job);

// 1 when the key was not seen and is now marked; 0 when it was seen already, or when the
// table could not grow to hold it (that one link is lost). A job without a table reports 1.
int MarkIfNew(SCANJOB* job, const char* key);
// 1 when the key has been marked.
int IsVisited(SCANJOB* job, const char* key);

// Keys marked, and the bytes the table holds; 0 without a table.
size_t VisitedCount(SCANJOB* job);
size_t VisitedBytes(SCANJOB* job);

// The 64-bit hash of a folded key (never 0).
uint64_t VisitedKeyHash(const char* folded, size_t length);

// Tests only: makes the next `count` allocations of visited tables fail.
void FailVisitedAllocationsForTest(int count);
