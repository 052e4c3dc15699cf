// Small helpers shared by the report-style list views: columns, rows that carry a record,
// and cell texts made on request.
#pragma once

#include <windows.h>
#include <commctrl.h>

struct LISTCOLUMN {
    const char* title;
    int width;
};

void InsertColumns(HWND list, const LISTCOLUMN* columns, int count);

// Inserts a row at `index` whose cells are all asked for when drawn; `record` is its data.
int InsertRow(HWND list, int index, const void* record);
// The record of a row, or nullptr.
void* RowParam(HWND list, int row);
// The row that carries `record`, or -1.
int RowOf(HWND list, const void* record);
void DeleteRowOf(HWND list, const void* record);
void RedrawRowOf(HWND list, const void* record);

// Copies a cell text into the request's buffer, cut to its length.
void CopyCellText(LVITEMA& cell, const char* text);
