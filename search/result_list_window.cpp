#include "search/result_list_window.h"

#include "engine/job_table.h"
#include "engine/log_entry.h"
#include "search/search.h"
#include "shell/list_view.h"
#include "shell/main_window.h"

#include <cstdio>

namespace {

constexpr int kMenuDelete = 2010;
constexpr int kMenuScan = 2011;
constexpr int kMenuOpen = 2012;

LISTSORT gSort;

SEARCHRESULT* RowResult(int row)
{
    return reinterpret_cast<SEARCHRESULT*>(RowParam(gMain.resultsList, row));
}

int CALLBACK CompareResults(LPARAM first, LPARAM second, LPARAM column)
{
    const auto* a = reinterpret_cast<const SEARCHRESULT*>(first);
    const auto* b = reinterpret_cast<const SEARCHRESULT*>(second);
    int result = 0;
    switch (column) {
    case 0: result = lstrcmpiA(a->szAddress, b->szAddress); break;
    case 1: result = a->nStatus - b->nStatus; break;
    case 2: result = a->nEngine - b->nEngine; break;
    case 3: result = a->nRank - b->nRank; break;
    default: break;
    }
    return SortResult(gSort, result);
}

void EnableScanControls()
{
    BOOL any = ListView_GetSelectedCount(gMain.resultsList) > 0;
    EnableWindow(gMain.searchFormatList, any);
    EnableWindow(gMain.searchDepthList, any);
    EnableWindow(gMain.searchScanButton, any);
}

void ShowContextMenu(const NMITEMACTIVATE* click)
{
    if (ListView_GetSelectedCount(gMain.resultsList) == 0) return;
    const POPUPITEM items[] = {{kMenuDelete, "D&elete", true}, {kMenuScan, "&Scan it", true},
                               {kMenuOpen, "&Open Browser", true}};
    int command = TrackListMenu(gMain.resultsList, click->ptAction, items, 3);
    if (command == kMenuDelete) DeleteSelectedResults();
    if (command == kMenuScan) ScanSelectedResults();
    if (command == kMenuOpen) OpenSelectedResult();
}

// Ready in green, Scaned in orange.
bool StatusColours(LPARAM record, COLORREF* text, COLORREF*)
{
    *text = reinterpret_cast<const SEARCHRESULT*>(record)->nStatus == 0 ? RGB(0, 200, 0) : RGB(228, 107, 27);
    return true;
}

}  // namespace

void SetUpResultListColumns()
{
    static const LISTCOLUMN kColumns[] = {{"Found Address", 530}, {"Status", 100}, {"Engine", 100}, {"Rank", 100}};
    InsertColumns(gMain.resultsList, kColumns, 4);
}

LRESULT ResultListNotify(const NMHDR* header)
{
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        LVITEMA* cell = TextRequest(header);
        const SEARCHRESULT* r = cell ? RowResult(cell->iItem) : nullptr;
        if (r == nullptr) break;
        char text[32];
        switch (cell->iSubItem) {
        case 0: CopyCellText(*cell, r->szAddress); break;
        case 1: CopyCellText(*cell, r->nStatus == 0 ? "Ready" : "Scaned"); break;
        case 2: CopyCellText(*cell, r->nEngine == kEngineGoogle ? "Google" : "Yahoo"); break;
        case 3:
            std::snprintf(text, sizeof text, r->nEngine == kEngineGoogle ? "G_%d" : "Y_%d", r->nRank);
            CopyCellText(*cell, text);
            break;
        default: break;
        }
        break;
    }
    case LVN_COLUMNCLICK: SortResultList(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem); break;
    case NM_CLICK: EnableScanControls(); break;
    case NM_RCLICK: ShowContextMenu(reinterpret_cast<const NMITEMACTIVATE*>(header)); break;
    default: break;
    }
    return 0;
}

LRESULT ResultListCustomDraw(NMLVCUSTOMDRAW* draw)
{
    return DrawColouredColumn(draw, 1, StatusColours);
}

void SortResultList(int column)
{
    ClickSort(gSort, column);
    ListView_SortItems(gMain.resultsList, CompareResults, column);
}

void StartSearch()
{
    char keyword[64] = {};
    *reinterpret_cast<WORD*>(keyword) = 62;  // EM_GETLINE reads at most this many characters
    LRESULT length = SendMessageA(gMain.keywordBox, EM_GETLINE, 0, reinterpret_cast<LPARAM>(keyword));
    keyword[length >= 0 && length <= 62 ? length : 62] = '\0';
    StartSearchWith(keyword, static_cast<int>(SendMessageA(gMain.engineList, CB_GETCURSEL, 0, 0)));
}

void StartMoreResults()
{
    StartMoreResultsWith(static_cast<int>(SendMessageA(gMain.engineList, CB_GETCURSEL, 0, 0)));
}

void ScanSelectedResults()
{
    int format = static_cast<int>(SendMessageA(gMain.searchFormatList, CB_GETCURSEL, 0, 0));
    int depth = static_cast<int>(SendMessageA(gMain.searchDepthList, CB_GETCURSEL, 0, 0));
    for (int row = -1; (row = ListView_GetNextItem(gMain.resultsList, row, LVNI_SELECTED)) >= 0;) {
        SEARCHRESULT* r = RowResult(row);
        if (r == nullptr) continue;
        if (AddScanJob(r->szAddress, format, depth) == AddResult::OutOfMemory) {
            AppendLog("Failed to insert Scan item(out of memory)");
            return;
        }
        r->nStatus = 1;
        ListView_RedrawItems(gMain.resultsList, row, row);
        UpdateWindow(gMain.resultsList);
    }
}

void DeleteSelectedResults()
{
    for (int row; (row = ListView_GetNextItem(gMain.resultsList, -1, LVNI_SELECTED)) >= 0;) {
        delete RowResult(row);
        ListView_DeleteItem(gMain.resultsList, row);
    }
    EnableScanControls();
}

void OpenSelectedResult()
{
    int row = ListView_GetNextItem(gMain.resultsList, -1, LVNI_SELECTED);
    if (const SEARCHRESULT* r = row >= 0 ? RowResult(row) : nullptr) OpenInBrowser(r->szAddress);
}

void AddResultRow(SEARCHRESULT* result)
{
    if (InsertRow(gMain.resultsList, ListView_GetItemCount(gMain.resultsList), result) < 0) delete result;
}

void ClearResultRows()
{
    for (int row = 0, count = ListView_GetItemCount(gMain.resultsList); row < count; ++row) delete RowResult(row);
    ListView_DeleteAllItems(gMain.resultsList);
    EnableScanControls();
}

void EnableSearchButtons(bool search, bool more)
{
    EnableWindow(gMain.searchButton, search);
    EnableWindow(gMain.moreButton, more);
}
