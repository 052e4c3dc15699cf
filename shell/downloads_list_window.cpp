#include "shell/downloads_list_window.h"

#include "engine/download_list.h"
#include "engine/size_text.h"
#include "shell/list_view.h"
#include "shell/main_window.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

struct DOWNLOADROW {
    DOWNLOADITEM* item;  // nullptr once the engine has let the item go
    char szAddress[256];
    int32_t nState;
    int64_t nSize;
    int64_t nTransferred;
    int32_t nPercent;
};

namespace {

// Guards every row's item reference and the map from items to their rows. Held only to copy a
// few values, never while drawing, so an engine thread letting an item go never waits for a paint.
std::mutex gRowLock;
std::unordered_map<const DOWNLOADITEM*, DOWNLOADROW*> gRowOfItem;

struct ROWVALUES {
    int32_t nState;
    int64_t nSize;
    int64_t nTransferred;
    int32_t nPercent;
};

ROWVALUES ValuesOf(const DOWNLOADROW& row)
{
    std::lock_guard<std::mutex> lock(gRowLock);
    if (row.item == nullptr) return {row.nState, row.nSize, row.nTransferred, row.nPercent};
    return {row.item->nState.load(), row.item->nSize.load(), row.item->nTransferred.load(), row.item->nPercent.load()};
}

void ReleaseRow(DOWNLOADROW* row)
{
    {
        std::lock_guard<std::mutex> lock(gRowLock);
        auto found = row->item != nullptr ? gRowOfItem.find(row->item) : gRowOfItem.end();
        if (found != gRowOfItem.end() && found->second == row) gRowOfItem.erase(found);
    }
    delete row;
}

}  // namespace

void SetUpDownloadsListColumns()
{
    static const LISTCOLUMN kColumns[] = {
        {"Downloading Files", 500}, {"Status", 100}, {"Size", 80}, {"Transferred", 80}, {"Progress", 200}};
    InsertColumns(gMain.downloadsList, kColumns, 5);
}

LRESULT DownloadsListNotify(const NMHDR* header)
{
    if (header->code == LVN_DELETEITEM) {
        auto* row = reinterpret_cast<DOWNLOADROW*>(reinterpret_cast<const NMLISTVIEW*>(header)->lParam);
        if (row != nullptr) ReleaseRow(row);
        return 0;
    }
    LVITEMA* cell = TextRequest(header);
    if (cell == nullptr) return 0;
    const auto* row = reinterpret_cast<const DOWNLOADROW*>(RowParam(gMain.downloadsList, cell->iItem));
    if (row == nullptr) return 0;
    char text[kSizeTextSize > 16 ? kSizeTextSize : 16];
    if (cell->iSubItem == 0) {
        CopyCellText(*cell, row->szAddress);
        return 0;
    }
    ROWVALUES values = ValuesOf(*row);
    switch (cell->iSubItem) {
    case 1: CopyCellText(*cell, DownloadStateText(values.nState)); break;
    case 2: CopyCellText(*cell, SizeText(values.nSize, text)); break;
    case 3: CopyCellText(*cell, SizeText(values.nTransferred, text)); break;
    case 4:
        std::snprintf(text, sizeof text, "%d%%", values.nPercent);
        CopyCellText(*cell, text);
        break;
    default: break;
    }
    return 0;
}

DOWNLOADROW* NewDownloadRow(DOWNLOADITEM* item)
{
    auto* row = new (std::nothrow) DOWNLOADROW{};
    if (row == nullptr) return nullptr;
    row->item = item;
    std::memcpy(row->szAddress, item->szAddress, sizeof row->szAddress);
    try {
        std::lock_guard<std::mutex> lock(gRowLock);
        gRowOfItem[item] = row;
    } catch (const std::bad_alloc&) {
        delete row;
        return nullptr;
    }
    return row;
}

DOWNLOADROW* LetGoDownloadRow(DOWNLOADITEM* item)
{
    std::lock_guard<std::mutex> lock(gRowLock);
    auto found = gRowOfItem.find(item);
    if (found == gRowOfItem.end()) return nullptr;
    DOWNLOADROW* row = found->second;
    gRowOfItem.erase(found);
    row->nState = item->nState.load();
    row->nSize = item->nSize.load();
    row->nTransferred = item->nTransferred.load();
    row->nPercent = item->nPercent.load();
    row->item = nullptr;
    return row;
}

void AddDownloadRow(DOWNLOADROW* row)
{
    InsertRow(gMain.downloadsList, ListView_GetItemCount(gMain.downloadsList), row);
}

void RedrawDownloadRows()
{
    int count = ListView_GetItemCount(gMain.downloadsList);
    if (count > 0) ListView_RedrawItems(gMain.downloadsList, 0, count - 1);
    UpdateWindow(gMain.downloadsList);
}

void RemoveDownloadRow(DOWNLOADROW* row)
{
    int index = RowOf(gMain.downloadsList, row);
    if (index >= 0)
        ListView_DeleteItem(gMain.downloadsList, index);  // its LVN_DELETEITEM releases the record
    else
        ReleaseRow(row);
}
