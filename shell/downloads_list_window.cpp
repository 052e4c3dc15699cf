#include "shell/downloads_list_window.h"

#include "engine/download_list.h"
#include "engine/size_text.h"
#include "shell/list_view.h"
#include "shell/main_window.h"

#include <cstdio>

void SetUpDownloadsListColumns()
{
    static const LISTCOLUMN kColumns[] = {
        {"Downloading Files", 500}, {"Status", 100}, {"Size", 80}, {"Transferred", 80}, {"Progress", 200}};
    InsertColumns(gMain.downloadsList, kColumns, 5);
}

LRESULT DownloadsListNotify(const NMHDR* header)
{
    if (header->code != LVN_GETDISPINFOA) return 0;
    auto* info = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header));
    LVITEMA& cell = info->item;
    if (!(cell.mask & LVIF_TEXT) || cell.pszText == nullptr || cell.cchTextMax <= 0) return 0;
    const DOWNLOADITEM* item = reinterpret_cast<const DOWNLOADITEM*>(RowParam(gMain.downloadsList, cell.iItem));
    cell.pszText[0] = '\0';
    if (item == nullptr) return 0;
    char size[kSizeTextSize];
    switch (cell.iSubItem) {
    case 0: CopyCellText(cell, item->szAddress); break;
    case 1: CopyCellText(cell, DownloadStateText(item->nState.load())); break;
    case 2: CopyCellText(cell, SizeText(item->nSize.load(), size)); break;
    case 3: CopyCellText(cell, SizeText(item->nTransferred.load(), size)); break;
    case 4: {
        char percent[16];
        std::snprintf(percent, sizeof percent, "%d%%", item->nPercent.load());
        CopyCellText(cell, percent);
        break;
    }
    default: break;
    }
    return 0;
}

void AddDownloadRow(DOWNLOADITEM* item)
{
    InsertRow(gMain.downloadsList, ListView_GetItemCount(gMain.downloadsList), item);
}

void RedrawDownloadRows()
{
    int count = ListView_GetItemCount(gMain.downloadsList);
    if (count > 0) ListView_RedrawItems(gMain.downloadsList, 0, count - 1);
    UpdateWindow(gMain.downloadsList);
}

void RemoveDownloadRow(DOWNLOADITEM* item)
{
    DeleteRowOf(gMain.downloadsList, item);
}
