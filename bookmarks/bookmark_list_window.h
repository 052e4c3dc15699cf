// The bookmark list on the Bookmark page.
#pragma once

#include <windows.h>
#include <commctrl.h>

struct SCANJOB;

void SetUpBookmarkList();
void LoadBookmarksIntoList();
// Appends a bookmark of a Complete or Stopped job; false when no memory could be had.
bool BookmarkJob(const SCANJOB* job);
LRESULT BookmarkListNotify(const NMHDR* header);
LRESULT BookmarkListCustomDraw(NMLVCUSTOMDRAW* draw);
void RescanSelectedBookmarks();
void SaveBookmarkList();
