#include "platform/clock.h"

#include <atomic>
#include <ctime>

namespace {
std::atomic<int64_t (*)()> gClockOverride{nullptr};
}

int64_t ClockNow()
{
    if (auto now = gClockOverride.load()) return now();
    return static_cast<int64_t>(std::time(nullptr));
}

void SetClockForTest(int64_t (*now)())
{
    gClockOverride.store(now);
}
