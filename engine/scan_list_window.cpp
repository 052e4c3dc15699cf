#include "engine/scan_list_window.h"

#include "bookmarks/bookmark_list_window.h"
#include "engine/job_actions.h"
#include "engine/job_table.h"
#include "engine/log_entry.h"
#include "engine/size_text.h"
#include "links/classify.h"
#include "resources/resource_ids.h"
#include "shell/list_view.h"
#include "shell/main_window.h"

#include <cstdio>
#include <cstring>

namespace {

LISTSORT gSort;

// A Stopping job tells how it stops.
const char* StatusText(const SCANJOB* job)
{
    int32_t state = job->nState.load();
    if (state != kJobStopping) return JobStateName(state);
    return job->nStopMode.load() == kStopGraceful ? "Stopping gracefully" : "Stopping immediately";
}

void CellText(const SCANJOB* job, int column, LVITEMA& cell)
{
    char text[300];
    switch (column) {
    case 0: CopyAddressCell(cell, job->szAddress); return;
    case 1: CopyCellText(cell, StatusText(job)); return;
    case 2: CopyCellText(cell, FormatName(job->nFormat)); return;
    case 3: std::snprintf(text, sizeof text, "R-%d", job->nDepth); break;
    case 4: std::snprintf(text, sizeof text, "%d", job->nFound.load()); break;
    case 5: std::snprintf(text, sizeof text, "%d", job->nLeft.load()); break;
    case 6: std::snprintf(text, sizeof text, "%d", job->nFiles.load()); break;
    case 7: {
        char size[kSizeTextSize];
        CopyCellText(cell, SizeText(job->nSize.load(), size));
        return;
    }
    default: return;
    }
    CopyCellText(cell, text);
}

int CALLBACK CompareJobs(LPARAM first, LPARAM second, LPARAM column)
{
    const SCANJOB* a = reinterpret_cast<const SCANJOB*>(first);
    const SCANJOB* b = reinterpret_cast<const SCANJOB*>(second);
    int64_t result = 0;
    switch (column) {
    case 0: result = lstrcmpiA(a->szAddress, b->szAddress); break;
    case 1: result = a->nState.load() - b->nState.load(); break;
    case 2: result = a->nFormat - b->nFormat; break;
    case 3: result = a->nDepth - b->nDepth; break;
    case 4: result = a->nFound.load() - b->nFound.load(); break;
    case 5: result = a->nLeft.load() - b->nLeft.load(); break;
    case 6: result = a->nFiles.load() - b->nFiles.load(); break;
    case 7: result = a->nSize.load() - b->nSize.load(); break;
    default: break;
    }
    return SortResult(gSort, result);
}

int StateBit(int32_t state)
{
    return state >= 0 && state <= 4 ? 1 << state : 0;
}

void ShowContextMenu(const NMITEMACTIVATE* click)
{
    int mask = 0;
    int selected = SelectionStateMask(&mask);
    if (selected == 0) return;
    std::vector<POPUPITEM> items = JobMenuItems(mask, selected);
    RunJobCommand(TrackListMenu(gMain.scanList, click->ptAction, items.data(), static_cast<int>(items.size())));
}

bool StatusColours(LPARAM record, COLORREF* text, COLORREF* background)
{
    return JobStateColours(reinterpret_cast<const SCANJOB*>(record)->nState.load(), text, background);
}

}  // namespace

void SetUpScanListColumns()
{
    static const LISTCOLUMN kColumns[] = {{"Scanning Address List", 400}, {"Status", 80}, {"Format", 60},
                                          {"Depth", 50},  {"Found", 60},  {"Left", 60},  {"Files", 60}, {"Size", 70}};
    InsertColumns(gMain.scanList, kColumns, 8);
}

LRESULT ScanListNotify(const NMHDR* header)
{
    switch (header->code) {
    case LVN_GETDISPINFOA:
        if (LVITEMA* cell = TextRequest(header))
            if (const auto* job = reinterpret_cast<const SCANJOB*>(RowParam(gMain.scanList, cell->iItem)))
                CellText(job, cell->iSubItem, *cell);
        break;
    case LVN_COLUMNCLICK:
        SortScanList(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
        break;
    case NM_RCLICK:
        ShowContextMenu(reinterpret_cast<const NMITEMACTIVATE*>(header));
        break;
    default: break;
    }
    return 0;
}

LRESULT ScanListCustomDraw(NMLVCUSTOMDRAW* draw)
{
    return DrawColouredColumn(draw, 1, StatusColours);
}

std::vector<SCANJOB*> SelectedJobs()
{
    std::vector<SCANJOB*> jobs;
    for (int row = -1; (row = ListView_GetNextItem(gMain.scanList, row, LVNI_SELECTED)) >= 0;)
        if (auto* job = reinterpret_cast<SCANJOB*>(RowParam(gMain.scanList, row))) jobs.push_back(job);
    return jobs;
}

int SelectionStateMask(int* mask)
{
    *mask = 0;
    std::vector<SCANJOB*> jobs = SelectedJobs();
    for (SCANJOB* job : jobs) *mask |= StateBit(job->nState.load());
    return static_cast<int>(jobs.size());
}

std::vector<POPUPITEM> JobMenuItems(int mask, int selected)
{
    const int queued = 1, processing = 2, complete = 4, stopped = 8, stopping = 16;
    bool finished = mask & (complete | stopped);
    return {
        {IDC_JOB_DELETE, "&Delete", (mask & (queued | complete | stopped)) != 0},
        {IDC_JOB_STOP_GRACEFULLY, "Stop &Gracefully", (mask & processing) != 0},
        {IDC_JOB_STOP_IMMEDIATELY, "Stop &Immediately", (mask & (processing | stopping)) != 0},
        {IDC_JOB_BOOKMARK, "&Bookmark", finished},
        {IDC_JOB_RESCAN, "&Rescan it", finished},
        {IDC_JOB_CHANGE_RESCAN, "&Change && Rescan it", finished && selected == 1},
        {IDC_JOB_OPEN_BROWSER, "&Open Browser", selected == 1},
    };
}

void RunJobCommand(int command)
{
    switch (command) {
    case IDC_JOB_DELETE: DeleteSelectedJobs(); break;
    case IDC_JOB_STOP_GRACEFULLY: StopSelectedGracefully(); break;
    case IDC_JOB_STOP_IMMEDIATELY: StopSelectedImmediately(); break;
    case IDC_JOB_BOOKMARK: BookmarkSelectedJobs(); break;
    case IDC_JOB_RESCAN: RescanSelectedJobs(); break;
    case IDC_JOB_CHANGE_RESCAN: ChangeAndRescanJob(); break;
    case IDC_JOB_OPEN_BROWSER: OpenSelectedJob(); break;
    default: break;
    }
}

void DeleteSelectedJobs()
{
    // Rows mirror the table, so a row's index is its job's index.
    for (int row = -1; (row = ListView_GetNextItem(gMain.scanList, row, LVNI_SELECTED)) >= 0;) {
        const auto* job = reinterpret_cast<const SCANJOB*>(RowParam(gMain.scanList, row));
        int32_t state = job ? job->nState.load() : -1;
        if ((state == kJobQueued || state == kJobComplete || state == kJobStopped) && RemoveJob(row)) --row;
    }
}

void StopSelectedGracefully()
{
    for (SCANJOB* job : SelectedJobs()) StopJobGracefully(job);
}

void StopSelectedImmediately()
{
    for (SCANJOB* job : SelectedJobs()) StopJobImmediately(job);
}

void BookmarkSelectedJobs()
{
    for (SCANJOB* job : SelectedJobs()) {
        int32_t state = job->nState.load();
        if (state != kJobComplete && state != kJobStopped) continue;
        if (!BookmarkJob(job)) return;
        LogFormat("Success in Bookmarking ( %.255s )", job->szAddress);
    }
}

void RescanSelectedJobs()
{
    for (SCANJOB* job : SelectedJobs()) RescanJob(job);
}

void ChangeAndRescanJob()
{
    std::vector<SCANJOB*> jobs = SelectedJobs();
    if (jobs.size() != 1) return;
    SCANJOB* job = jobs[0];
    int32_t state = job->nState.load();
    if (state != kJobComplete && state != kJobStopped) return;
    SetWindowTextA(gMain.addressBox, job->szAddress);
    SendMessageA(gMain.formatList, CB_SETCURSEL, job->nFormat, 0);
    SendMessageA(gMain.depthList, CB_SETCURSEL, job->nDepth, 0);
    RemoveJob(RowOf(gMain.scanList, job));
}

void OpenSelectedJob()
{
    std::vector<SCANJOB*> jobs = SelectedJobs();
    if (jobs.empty()) return;
    AppendLog(jobs[0]->szAddress);
    OpenInBrowser(jobs[0]->szAddress);
}

void SortScanList(int column)
{
    ClickSort(gSort, column);
    ListView_SortItems(gMain.scanList, CompareJobs, column);
    std::vector<SCANJOB*> order;
    for (int row = 0, count = ListView_GetItemCount(gMain.scanList); row < count; ++row)
        order.push_back(reinterpret_cast<SCANJOB*>(RowParam(gMain.scanList, row)));
    ReorderJobs(order);
}

void AddJobRow(SCANJOB* job)
{
    InsertRow(gMain.scanList, ListView_GetItemCount(gMain.scanList), job);
}

void RedrawJobRow(SCANJOB* job)
{
    RedrawRowOf(gMain.scanList, job);
}

void RedrawJobList()
{
    int count = ListView_GetItemCount(gMain.scanList);
    if (count == 0) return;
    ListView_RedrawItems(gMain.scanList, 0, count - 1);
    UpdateWindow(gMain.scanList);
}

void RemoveJobRow(SCANJOB* job)
{
    DeleteRowOf(gMain.scanList, job);
}

void SetJobStatusLineText(const char* text)
{
    SetWindowTextA(gMain.statusLine, text);
}
