// Reports that only show state, handed from other threads to the user-interface thread without
// waiting for it. Log entries (copied texts with their time) and rows added, redrawn and removed
// are kept in order; the status parts, the title and the job status line keep only their latest
// value. The user-interface thread applies them at once when it is idle, and then at most every
// kViewPaceMs while reports keep coming, so a flood of reports costs a few paints a second.
#pragma once

#include <windows.h>

#include <cstdint>

// Posted to the main window when reports start waiting; the timer then paces them.
inline constexpr UINT WM_ZORVEL_VIEWS_WAITING = WM_APP + 2;
inline constexpr UINT_PTR kViewPaceTimer = 1;
inline constexpr UINT kViewPaceMs = 100;

enum QueuedKind : int {
    kQueuedJobAdded,
    kQueuedJobRedrawn,
    kQueuedDownloadAdded,     // record: a DOWNLOADROW
    kQueuedDownloadsRedrawn,  // no record
    kQueuedDownloadRemoved,   // record: a DOWNLOADROW, released once its row is removed
};

// Any thread. The row reports return false when memory for them cannot be had, and the caller
// then hands the report over synchronously.
bool QueueRowReport(QueuedKind kind, void* record);
void QueueLogEntry(const char* message, int64_t when);
void QueueStatusPart(int kind, const char* text, int64_t number, int64_t when);
void QueueTitle(const char* title);
void QueueJobStatusLine(const char* text);

// User-interface thread: applies everything waiting, in the order it was reported, then the
// latest status parts, title and job status line. A report made on this thread calls it first,
// so it comes after every report made before it.
void ApplyQueuedViews();
// The main window's WM_ZORVEL_VIEWS_WAITING and its kViewPaceTimer.
void ViewsWaiting(HWND window);
void ViewPaceTick(HWND window);
