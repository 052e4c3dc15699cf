// The visited-URL table of a running job: one bit per URL hash, no texts stored.
// Two addresses with the same hash count as one.
#pragma once

#include <cstddef>
#include <cstdint>

struct SCANJOB;

inline constexpr size_t kVisitedTableBytes = 375000;  // 3,000,000 bits

struct HTABLE {
    uint8_t bits[kVisitedTableBytes];
};

// Allocates the job's zero-filled table; false when the memory cannot be had.
bool MakeVisitedTable(SCANJOB* job);
// Releases the job's table; without one it does nothing.
void ReleaseVisitedTable(SCANJOB* job);
int IsVisited(const SCANJOB* job, uint32_t hash);
// Sets the bit with one atomic OR on its byte, so concurrent marks are never lost.
void MarkVisited(SCANJOB* job, uint32_t hash);
