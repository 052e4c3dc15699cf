// The Search page: its result list (one row per SEARCHRESULT, which the row owns) and buttons.
#pragma once

#include <windows.h>
#include <commctrl.h>

struct SEARCHRESULT;

void SetUpResultListColumns();
LRESULT ResultListNotify(const NMHDR* header);
LRESULT ResultListCustomDraw(NMLVCUSTOMDRAW* draw);
void SortResultList(int column);

// The Search and More Result buttons.
void StartSearch();
void StartMoreResults();

void ScanSelectedResults();
void DeleteSelectedResults();
void OpenSelectedResult();

// View work, on the user-interface thread.
void AddResultRow(SEARCHRESULT* result);
void ClearResultRows();
void EnableSearchButtons(bool search, bool more);
