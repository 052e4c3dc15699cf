#include "engine/rate.h"

bool UpdateRate(RATESAMPLE& sample, int64_t now, int64_t total, int64_t* rate)
{
    bool shown = sample.total != 0 && sample.time != 0 && now != sample.time;
    if (shown) *rate = (total - sample.total) / (now - sample.time);
    sample.time = now;
    sample.total = total;
    return shown;
}
