// Small helpers shared by the report-style list views: columns, rows that carry a record,
// and cell texts made on request.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

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
// The row of `record` is drawn again at the list's next paint; RedrawRowOf paints it now.
void InvalidateRowOf(HWND list, const void* record);
void RedrawRowOf(HWND list, const void* record);

// Copies a cell text into the request's buffer, cut to its length.
void CopyCellText(LVITEMA& cell, const char* text);
// An address cell: the address, with "http://" in front when it has no scheme of its own.
void CopyAddressCell(LVITEMA& cell, const char* address);

// A text request (LVN_GETDISPINFOA) with a buffer to fill: the cell, its text cleared.
// nullptr for any other request.
LVITEMA* TextRequest(const NMHDR* header);

// The sort state of a list: the column last sorted and its direction. A click on a column
// sorts it descending when it repeats an ascending sort of that column, else ascending.
struct LISTSORT {
    int column = -1;
    bool ascending = true;
};
void ClickSort(LISTSORT& sort, int column);
// The comparison's result for the sort's direction from an ascending difference.
int SortResult(const LISTSORT& sort, int64_t difference);

// A pop-up menu at a point of the list (client coordinates), owned by the main window.
// Returns the chosen command, 0 when dismissed.
struct POPUPITEM {
    int command;
    const char* text;
    bool enabled;
};
int TrackListMenu(HWND list, POINT point, const POPUPITEM* items, int count);

// Custom drawing that colours one column's cells: `colours` fills the text and background
// colours of a row's record and returns false to leave the cell as it is.
LRESULT DrawColouredColumn(NMLVCUSTOMDRAW* draw, int column, bool (*colours)(LPARAM record, COLORREF* text,
                                                                               COLORREF* background));
// The colours of a job state, shared by the job list and the bookmark list.
bool JobStateColours(int32_t state, COLORREF* text, COLORREF* background);
