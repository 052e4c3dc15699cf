// The Scanning Address List: one row per scan job in table order, coloured states, sorting
// that reorders the job table, and the context menu's actions on the selected jobs.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "shell/list_view.h"

#include <vector>

struct SCANJOB;

void SetUpScanListColumns();

// Notifications routed by the main window: text requests, column clicks, right clicks.
LRESULT ScanListNotify(const NMHDR* header);
// NM_CUSTOMDRAW: the Status column's colours.
LRESULT ScanListCustomDraw(NMLVCUSTOMDRAW* draw);

// State bits of the selected rows: 1 Queued, 2 Processing, 4 Complete, 8 Stopped, 16 Stopping.
// Returns the number of selected rows.
int SelectionStateMask(int* mask);
std::vector<SCANJOB*> SelectedJobs();

// The context menu's items, enabled or not for a selection.
std::vector<POPUPITEM> JobMenuItems(int mask, int selected);
void RunJobCommand(int command);

// The actions, each on the selected rows in table order.
void DeleteSelectedJobs();
void StopSelectedGracefully();
void StopSelectedImmediately();
void BookmarkSelectedJobs();
void RescanSelectedJobs();
void ChangeAndRescanJob();
void OpenSelectedJob();

// Sorts the rows, and with them the job table, by a column.
void SortScanList(int column);

// View work, on the user-interface thread.
void AddJobRow(SCANJOB* job);
void RedrawJobRow(SCANJOB* job);
// Every row, as after a recount.
void RedrawJobList();
void RemoveJobRow(SCANJOB* job);
void SetJobStatusLineText(const char* text);
