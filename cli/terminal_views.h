// The headless program's views: the activity log as time-stamped lines on standard output,
// failures in words on standard error and, on a terminal, a live status line below them.
#pragma once

#include <cstdint>
#include <vector>

// `verbosity` -1 prints only failures (and leaves out the status line), 0 adds the activity
// log, 1 also a line per page fetched and per file saved.
void InstallTerminalViews(bool liveStatus, int verbosity);

struct SEARCHRESULT;

// The search results reported since the last call (the terminal keeps them until asked).
std::vector<SEARCHRESULT> TakeSearchResults();

// Clears the live status line so that the closing summary starts on a clean line.
void EndLiveStatus();
