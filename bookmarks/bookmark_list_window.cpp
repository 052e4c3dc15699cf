// The bookmark store and its list arrive with the bookmark work; until then the list stays
// empty and these do nothing.
#include "bookmarks/bookmark_list_window.h"

void SetUpBookmarkList() {}
void LoadBookmarksIntoList() {}
bool BookmarkJob(const SCANJOB*) { return false; }
LRESULT BookmarkListNotify(const NMHDR*) { return 0; }
LRESULT BookmarkListCustomDraw(NMLVCUSTOMDRAW*) { return CDRF_DODEFAULT; }
void RescanSelectedBookmarks() {}
void SaveBookmarkList() {}
