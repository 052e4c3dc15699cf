// The user-interface thread's message loop and its accelerators.
#pragma once

#include <windows.h>

// Handles one fetched message: the accelerators ("?" and "/" for About) take it only while no
// edit box has the keyboard focus, so both characters can be typed into an address or a
// keyword; any other message is translated into characters and dispatched.
void HandleLoopMessage(HACCEL accelerators, MSG* message);

// Fetches and handles the thread's messages until WM_QUIT; returns the quit code.
int RunMessageLoop(HACCEL accelerators);
