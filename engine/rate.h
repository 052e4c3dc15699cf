// The download rate shown beside the byte total: the bytes gained since the previous
// update over the whole seconds between them.
#pragma once

#include <cstdint>

struct RATESAMPLE {
    int64_t time = 0;   // seconds of the previous update, 0 before the first
    int64_t total = 0;  // byte total then
};

// Takes the update (now, total). Returns true and the rate in bytes per second when the
// previous sample had a non-zero total and time and lies in another second; false leaves
// the shown rate as it was. The sample becomes (now, total) either way.
bool UpdateRate(RATESAMPLE& sample, int64_t now, int64_t total, int64_t* rate);
