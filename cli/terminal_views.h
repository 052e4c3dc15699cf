// The headless program's views: the activity log as time-stamped lines on standard output
// and, on a terminal, a live status line below them.
#pragma once

#include <cstdint>
#include <vector>

void InstallTerminalViews(bool liveStatus);

struct SEARCHRESULT;

// The search results reported since the last call (the terminal keeps them until asked).
std::vector<SEARCHRESULT> TakeSearchResults();

// Clears the live status line so that the closing summary starts on a clean line.
void EndLiveStatus();
