// The process's entry steps: one instance only, the shared state and the engine threads.
#pragma once

#include <windows.h>

// Returns only in the first instance; a second start hands its address over and ends.
void EnsureSingleInstance(const char* commandTail);

// Winsock, the installation folder made current, the settings, the pool and the scheduler.
void StartUp(HINSTANCE instance, const char* commandTail);
