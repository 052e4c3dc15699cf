// The web search page: its result list and its buttons.
#pragma once

#include <windows.h>
#include <commctrl.h>

void SetUpResultListColumns();
LRESULT ResultListNotify(const NMHDR* header);
LRESULT ResultListCustomDraw(NMLVCUSTOMDRAW* draw);
void StartSearch();
void StartMoreResults();
void ScanSelectedResults();
