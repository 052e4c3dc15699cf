// The status bar and the activity log at the bottom of the main window.
#pragma once

#include <windows.h>

#include <cstdint>

void SetUpStatusBar();

// Part `kind`: 0 the state text, 1 busy workers, 2 files, 3 total bytes (with the rate in part 4).
// `when` is the time of the report (the rate's sample); without it, now.
void SetStatusPartText(int kind, const char* text, int64_t number);
void SetStatusPartText(int kind, const char* text, int64_t number, int64_t when);

// Appends one entry (time stamp and message) to the log; on the user-interface thread. The
// time stamp is `when`, the time of the report; without it, now.
void AppendLogEntry(const char* message);
void AppendLogEntry(const char* message, int64_t when);

// The log's space handling: at its text limit the limit grows; out of memory the oldest text goes.
void LogLimitReached();
void LogOutOfSpace();

// Asks the system whether the network is alive and logs a change.
void CheckNetwork();

// A double click on the status bar at `point` (status-bar client coordinates).
void StatusBarDoubleClick(POINT point);

// Part 5: the download folder.
void ShowDownloadFolder();
