// The bookmark list on the Bookmark page: one row per BOOKMARK, which the row owns.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

struct SCANJOB;
struct BOOKMARK;

void SetUpBookmarkList();
// Loads Bookmark.dat into the list; returns the number of rows.
int LoadBookmarksIntoList();
// Appends a bookmark of the job dated now; false when no memory could be had.
bool BookmarkJob(const SCANJOB* job);
// Appends a row that owns `bookmark`.
void AppendBookmark(BOOKMARK* bookmark);
LRESULT BookmarkListNotify(const NMHDR* header);
LRESULT BookmarkListCustomDraw(NMLVCUSTOMDRAW* draw);
void SortBookmarkList(int column);
void RescanSelectedBookmarks();
void DeleteSelectedBookmarks();
void OpenSelectedBookmark();
// Writes every row to Bookmark.dat in list order and releases the records (at shutdown).
void SaveBookmarkList();
