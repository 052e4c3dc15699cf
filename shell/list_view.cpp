#include "shell/list_view.h"

#include "http/address.h"

#include <cstdio>
#include <cstring>

void InsertColumns(HWND list, const LISTCOLUMN* columns, int count)
{
    for (int i = 0; i < count; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = columns[i].width;
        column.pszText = const_cast<char*>(columns[i].title);
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

int InsertRow(HWND list, int index, const void* record)
{
    LVITEMA row = {};
    row.mask = LVIF_TEXT | LVIF_PARAM;
    row.iItem = index;
    row.pszText = LPSTR_TEXTCALLBACKA;
    row.lParam = reinterpret_cast<LPARAM>(record);
    int inserted = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)));
    if (inserted < 0) return inserted;
    int columns = Header_GetItemCount(ListView_GetHeader(list));
    for (int column = 1; column < columns; ++column) {
        LVITEMA cell = {};
        cell.iSubItem = column;
        cell.pszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(list, LVM_SETITEMTEXTA, inserted, reinterpret_cast<LPARAM>(&cell));
    }
    return inserted;
}

void* RowParam(HWND list, int row)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<void*>(item.lParam);
}

int RowOf(HWND list, const void* record)
{
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(record);
    return static_cast<int>(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void DeleteRowOf(HWND list, const void* record)
{
    int row = RowOf(list, record);
    if (row >= 0) ListView_DeleteItem(list, row);
}

void InvalidateRowOf(HWND list, const void* record)
{
    int row = RowOf(list, record);
    if (row >= 0) ListView_RedrawItems(list, row, row);
}

void RedrawRowOf(HWND list, const void* record)
{
    InvalidateRowOf(list, record);
    UpdateWindow(list);
}

void CopyCellText(LVITEMA& cell, const char* text)
{
    size_t length = std::strlen(text);
    size_t room = static_cast<size_t>(cell.cchTextMax - 1);
    if (length > room) length = room;
    std::memcpy(cell.pszText, text, length);
    cell.pszText[length] = '\0';
}

void CopyAddressCell(LVITEMA& cell, const char* address)
{
    if (SchemeLength(address) != 0) return CopyCellText(cell, address);
    char text[300];
    std::snprintf(text, sizeof text, "http://%s", address);
    CopyCellText(cell, text);
}

LVITEMA* TextRequest(const NMHDR* header)
{
    if (header->code != LVN_GETDISPINFOA) return nullptr;
    LVITEMA& cell = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item;
    if (!(cell.mask & LVIF_TEXT) || cell.pszText == nullptr || cell.cchTextMax <= 0) return nullptr;
    cell.pszText[0] = '\0';
    return &cell;
}

void ClickSort(LISTSORT& sort, int column)
{
    sort.ascending = !(column == sort.column && sort.ascending);
    sort.column = column;
}

int SortResult(const LISTSORT& sort, int64_t difference)
{
    int sign = difference < 0 ? -1 : difference > 0 ? 1 : 0;
    return sort.ascending ? sign : -sign;
}

int TrackListMenu(HWND list, POINT point, const POPUPITEM* items, int count)
{
    HMENU menu = CreatePopupMenu();
    for (int i = 0; i < count; ++i)
        AppendMenuA(menu, MF_STRING | (items[i].enabled ? MF_ENABLED : MF_GRAYED), items[i].command, items[i].text);
    ClientToScreen(list, &point);
    int command = TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_VERTICAL, point.x, point.y, GetParent(list), nullptr);
    DestroyMenu(menu);
    return command;
}

LRESULT DrawColouredColumn(NMLVCUSTOMDRAW* draw, int column,
                           bool (*colours)(LPARAM record, COLORREF* text, COLORREF* background))
{
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        // Every cell starts from the default colours, so a coloured cell does not colour the next.
        draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
        draw->clrTextBk = GetSysColor(COLOR_WINDOW);
        if (draw->iSubItem != column || draw->nmcd.lItemlParam == 0) return CDRF_DODEFAULT;
        return colours(draw->nmcd.lItemlParam, &draw->clrText, &draw->clrTextBk) ? CDRF_NEWFONT : CDRF_DODEFAULT;
    default: return CDRF_DODEFAULT;
    }
}

bool JobStateColours(int32_t state, COLORREF* text, COLORREF* background)
{
    switch (state) {
    case 0: *text = RGB(0, 200, 0); return true;  // Queued
    case 1:                                       // Processing
        *text = RGB(0, 255, 0);
        *background = RGB(0, 0, 0);
        return true;
    case 2: *text = RGB(0, 0, 0); return true;        // Complete
    case 3: *text = RGB(228, 107, 27); return true;   // Stopped
    case 4:                                           // Stopping
        *text = RGB(255, 255, 0);
        *background = RGB(228, 107, 27);
        return true;
    default: return false;
    }
}
