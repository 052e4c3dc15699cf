#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace {
std::atomic<int64_t (*)()> gClockOverride{nullptr};
std::atomic<void (*)(int)> gPauseOverride{nullptr};
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

void PauseMs(int milliseconds)
{
    if (auto pause = gPauseOverride.load()) return pause(milliseconds);
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SetPauseForTest(void (*pause)(int))
{
    gPauseOverride.store(pause);
}

bool PauseReplacedForTest()
{
    return gPauseOverride.load() != nullptr;
}
