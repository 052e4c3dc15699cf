// Download items: the record behind one row of the downloads list, and the list's own
// bookkeeping. The download writes an item while it runs; the refresh releases the items
// whose transfer has ended.
#pragma once

#include <atomic>
#include <cstdint>

enum DownloadState : int32_t {
    kDownloadTransferring = 0,
    kDownloadStopped = 1,
    kDownloadRetrying = 2,
    kDownloadComplete = 3,
    kDownloadFailed = 4,
};

// Written by one downloading thread, read by the view for display.
struct DOWNLOADITEM {
    char szAddress[256];
    std::atomic<int32_t> nState;        // DownloadState
    std::atomic<int64_t> nSize;         // bytes announced by Content-Length
    std::atomic<int64_t> nTransferred;  // bytes written so far
    std::atomic<int32_t> nPercent;      // 0 to 100
};

// The text the downloads list shows for a state; empty outside 0 to 4.
const char* DownloadStateText(int32_t state);
bool IsFinalDownloadState(int32_t state);

// Appends an item in state Transferring with at most 255 characters of `address` and reports
// the new row to the view. nullptr when memory cannot be had.
DOWNLOADITEM* AddDownloadItem(const char* address);

// Has the view redraw every row, then releases every item in a final state (Stopped,
// Complete, Failed) after the view has removed its row, all in one pass. Returns 1.
int RefreshDownloadList();

int DownloadItemCount();

// Tests only: releases every item.
void ResetDownloadListForTest();
