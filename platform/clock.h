// The one source of calendar time for the engine, so tests can move time on
// without waiting for it.
#pragma once

#include <cstdint>

// Seconds since the epoch, as the C `time` function gives them.
int64_t ClockNow();

// Tests only: replace the clock with a function of their own; nullptr restores the real one.
void SetClockForTest(int64_t (*now)());

// Pauses the calling thread (the scheduler's and the workers' pauses).
void PauseMs(int milliseconds);
// Tests only: replace the pause with a function of their own; nullptr restores the real one.
void SetPauseForTest(void (*pause)(int milliseconds));
// True while a test's pause replaces the real one.
bool PauseReplacedForTest();
