#include "shell/list_view.h"

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

void RedrawRowOf(HWND list, const void* record)
{
    int row = RowOf(list, record);
    if (row < 0) return;
    ListView_RedrawItems(list, row, row);
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
