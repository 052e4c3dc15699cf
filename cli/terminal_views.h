// The headless program's views: the activity log as time-stamped lines on standard output
// and, on a terminal, a live status line below them.
#pragma once

#include <cstdint>

void InstallTerminalViews(bool liveStatus);

// Clears the live status line so that the closing summary starts on a clean line.
void EndLiveStatus();
