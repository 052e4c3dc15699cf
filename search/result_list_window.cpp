// The web search arrives with the search work; until then its page shows an empty list and
// its buttons do nothing.
#include "search/result_list_window.h"

void SetUpResultListColumns() {}
LRESULT ResultListNotify(const NMHDR*) { return 0; }
LRESULT ResultListCustomDraw(NMLVCUSTOMDRAW*) { return CDRF_DODEFAULT; }
void StartSearch() {}
void StartMoreResults() {}
void ScanSelectedResults() {}
