// The downloads list control: one row per transfer, cells made on request from its row record.
#pragma once

#include <windows.h>
#include <commctrl.h>

struct DOWNLOADITEM;
// The record behind one row: its item while the engine keeps the item, and the values the
// item ended with once the engine has let it go. The row owns it (released with the row).
struct DOWNLOADROW;

void SetUpDownloadsListColumns();
// The list's notifications: text requests are answered, a deleted row releases its record.
// Returns 0.
LRESULT DownloadsListNotify(const NMHDR* header);

// Any thread. A new row record for `item` (nullptr without memory), and the record of `item`
// let go: its values are copied, and from then on the record never reads the item again, so the
// engine may release the item as soon as this returns (nullptr when the item has no record).
DOWNLOADROW* NewDownloadRow(DOWNLOADITEM* item);
DOWNLOADROW* LetGoDownloadRow(DOWNLOADITEM* item);

// View work, on the user-interface thread. Removing a row releases its record, also when the
// row was never inserted.
void AddDownloadRow(DOWNLOADROW* row);
void RedrawDownloadRows();
void RemoveDownloadRow(DOWNLOADROW* row);
