#include "bookmarks/bookmark_list_window.h"

#include "bookmarks/bookmark_store.h"
#include "engine/job_table.h"
#include "engine/size_text.h"
#include "links/classify.h"
#include "platform/clock.h"
#include "resources/resource_ids.h"
#include "shell/list_view.h"
#include "shell/main_window.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr int kMenuDelete = 2030;
constexpr int kMenuRescan = 2031;
constexpr int kMenuOpen = 2032;

LISTSORT gSort;

BOOKMARK* RowBookmark(int row)
{
    return reinterpret_cast<BOOKMARK*>(RowParam(gMain.bookmarkList, row));
}

void CellText(const BOOKMARK& b, int column, LVITEMA& cell)
{
    char text[300];
    switch (column) {
    case 0: CopyAddressCell(cell, b.szAddress); return;
    case 1: CopyCellText(cell, JobStateName(b.nState)); return;
    case 2: CopyCellText(cell, FormatName(b.nFormat)); return;
    case 3: std::snprintf(text, sizeof text, "R-%d", b.nDepth); break;
    case 4: std::snprintf(text, sizeof text, "%d", b.nFound); break;
    case 5: std::snprintf(text, sizeof text, "%d", b.nFiles); break;
    case 6: {
        char size[kSizeTextSize];
        CopyCellText(cell, SizeText(b.nSize, size));
        return;
    }
    case 7: {
        char date[32];
        FormatBookmarkDate(b.tDate, date);
        CopyCellText(cell, date);
        return;
    }
    default: return;
    }
    CopyCellText(cell, text);
}

int CALLBACK CompareBookmarks(LPARAM first, LPARAM second, LPARAM column)
{
    const auto* a = reinterpret_cast<const BOOKMARK*>(first);
    const auto* b = reinterpret_cast<const BOOKMARK*>(second);
    int64_t result = 0;
    switch (column) {
    case 0: result = lstrcmpiA(a->szAddress, b->szAddress); break;
    case 1: result = static_cast<int64_t>(a->nState) - b->nState; break;
    case 2: result = static_cast<int64_t>(a->nFormat) - b->nFormat; break;
    case 3: result = static_cast<int64_t>(a->nDepth) - b->nDepth; break;
    case 4: result = static_cast<int64_t>(a->nFound) - b->nFound; break;
    case 5: result = static_cast<int64_t>(a->nFiles) - b->nFiles; break;
    case 6: result = static_cast<int64_t>(a->nSize) - b->nSize; break;
    case 7: result = static_cast<int64_t>(a->tDate) - b->tDate; break;
    default: break;
    }
    return SortResult(gSort, result);
}

void EnableRescanControls()
{
    BOOL any = ListView_GetSelectedCount(gMain.bookmarkList) > 0;
    EnableWindow(gMain.bookmarkFormatList, any);
    EnableWindow(gMain.bookmarkDepthList, any);
    EnableWindow(gMain.rescanButton, any);
}

void ShowContextMenu(const NMITEMACTIVATE* click)
{
    if (ListView_GetSelectedCount(gMain.bookmarkList) == 0) return;
    const POPUPITEM items[] = {{kMenuDelete, "&Delete", true}, {kMenuRescan, "&Rescan it", true},
                               {kMenuOpen, "&Open Browser", true}};
    int command = TrackListMenu(gMain.bookmarkList, click->ptAction, items, 3);
    if (command == kMenuDelete) DeleteSelectedBookmarks();
    if (command == kMenuRescan) RescanSelectedBookmarks();
    if (command == kMenuOpen) OpenSelectedBookmark();
}

bool StatusColours(LPARAM record, COLORREF* text, COLORREF* background)
{
    return JobStateColours(reinterpret_cast<const BOOKMARK*>(record)->nState, text, background);
}

}  // namespace

void SetUpBookmarkList()
{
    static const LISTCOLUMN kColumns[] = {{"Bookmark Address", 360}, {"Status", 70}, {"Format", 60}, {"Depth", 50},
                                          {"Found", 50}, {"Files", 50}, {"Size", 70}, {"Date", 120}};
    InsertColumns(gMain.bookmarkList, kColumns, 8);
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 0);
    for (int icon : {IDI_STATE_QUEUED, IDI_STATE_PROCESSING, IDI_STATE_COMPLETE, IDI_STATE_STOPPED})
        ImageList_ReplaceIcon(images, -1, LoadIconA(gMain.instance, MAKEINTRESOURCEA(icon)));
    ListView_SetImageList(gMain.bookmarkList, images, LVSIL_SMALL);
}

void AppendBookmark(BOOKMARK* bookmark)
{
    int row = InsertRow(gMain.bookmarkList, ListView_GetItemCount(gMain.bookmarkList), bookmark);
    if (row < 0) return;
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = bookmark->nState;
    SendMessageA(gMain.bookmarkList, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int LoadBookmarksIntoList()
{
    int loaded = 0;
    for (const BOOKMARK& b : LoadBookmarks()) {
        BOOKMARK* row = new (std::nothrow) BOOKMARK(b);
        if (row == nullptr) break;
        AppendBookmark(row);
        ++loaded;
    }
    return loaded;
}

bool BookmarkJob(const SCANJOB* job)
{
    BOOKMARK* bookmark = new (std::nothrow) BOOKMARK(MakeBookmark(*job, ClockNow()));
    if (bookmark == nullptr) return false;
    AppendBookmark(bookmark);
    return true;
}

LRESULT BookmarkListNotify(const NMHDR* header)
{
    switch (header->code) {
    case LVN_GETDISPINFOA:
        if (LVITEMA* cell = TextRequest(header))
            if (const BOOKMARK* b = RowBookmark(cell->iItem)) CellText(*b, cell->iSubItem, *cell);
        break;
    case LVN_COLUMNCLICK: SortBookmarkList(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem); break;
    case NM_CLICK: EnableRescanControls(); break;
    case NM_RCLICK: ShowContextMenu(reinterpret_cast<const NMITEMACTIVATE*>(header)); break;
    default: break;
    }
    return 0;
}

LRESULT BookmarkListCustomDraw(NMLVCUSTOMDRAW* draw)
{
    return DrawColouredColumn(draw, 1, StatusColours);
}

void SortBookmarkList(int column)
{
    ClickSort(gSort, column);
    ListView_SortItems(gMain.bookmarkList, CompareBookmarks, column);
}

void RescanSelectedBookmarks()
{
    int format = static_cast<int>(SendMessageA(gMain.bookmarkFormatList, CB_GETCURSEL, 0, 0));
    int depth = static_cast<int>(SendMessageA(gMain.bookmarkDepthList, CB_GETCURSEL, 0, 0));
    for (int row = -1; (row = ListView_GetNextItem(gMain.bookmarkList, row, LVNI_SELECTED)) >= 0;) {
        const BOOKMARK* b = RowBookmark(row);
        if (b != nullptr && AddScanJob(b->szAddress, format, depth) == AddResult::OutOfMemory) return;
    }
}

void DeleteSelectedBookmarks()
{
    for (int row; (row = ListView_GetNextItem(gMain.bookmarkList, -1, LVNI_SELECTED)) >= 0;) {
        delete RowBookmark(row);
        ListView_DeleteItem(gMain.bookmarkList, row);
    }
    EnableRescanControls();
}

void OpenSelectedBookmark()
{
    int row = ListView_GetNextItem(gMain.bookmarkList, -1, LVNI_SELECTED);
    if (const BOOKMARK* b = row >= 0 ? RowBookmark(row) : nullptr) OpenInBrowser(b->szAddress);
}

void SaveBookmarkList()
{
    std::vector<BOOKMARK> records;
    int count = ListView_GetItemCount(gMain.bookmarkList);
    for (int row = 0; row < count; ++row)
        if (const BOOKMARK* b = RowBookmark(row)) records.push_back(*b);
    SaveBookmarks(records);
    for (int row = 0; row < count; ++row) delete RowBookmark(row);
    ListView_DeleteAllItems(gMain.bookmarkList);
}
