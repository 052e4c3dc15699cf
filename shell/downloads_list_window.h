// The downloads list control: one row per transfer, cells made on request from its item.
#pragma once

#include <windows.h>
#include <commctrl.h>

struct DOWNLOADITEM;

void SetUpDownloadsListColumns();
// The list's notifications; only text requests are answered. Returns 0.
LRESULT DownloadsListNotify(const NMHDR* header);

// View work, on the user-interface thread.
void AddDownloadRow(DOWNLOADITEM* item);
void RedrawDownloadRows();
void RemoveDownloadRow(DOWNLOADITEM* item);
