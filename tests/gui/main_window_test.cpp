// The main window built in this process and driven with window messages.
#include "engine/download_list.h"
#include "engine/job_table.h"
#include "engine/log_entry.h"
#include "engine/scan_list_window.h"
#include "engine/views.h"
#include "platform/clock.h"
#include "resources/resource_ids.h"
#include "settings/options_dialog_window.h"
#include "settings/settings.h"
#include "shell/main_window.h"
#include "shell/message_loop.h"
#include "shell/status_bar.h"
#include "support/local_time.h"

#include "gui_helpers.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Rect {
    int x, y, width, height;
    bool operator==(const Rect&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rect& r)
{
    return out << "{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}

// A control's rectangle in the main window's client coordinates.
Rect Place(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, gMain.window, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string StatusPart(int part)
{
    char text[300] = {};
    SendMessageA(gMain.statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    return text;
}

int LogLineCount()
{
    std::string log = Text(gMain.log);
    int lines = 0;
    for (size_t at = 0; (at = log.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    return lines;
}

void ResetLayout()
{
    gMain.splitter = 410;
    gMain.previousHeight = 0;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { ResetEngineForTest(); }
    void TearDown() override
    {
        // Rows go with their jobs.
        ListView_DeleteAllItems(gMain.scanList);
        ListView_DeleteAllItems(gMain.downloadsList);
        ResetEngineForTest();
        ResetDownloadListForTest();
        SetClockForTest(nullptr);
    }

    SCANJOB* AddJob(const char* address, int format = 0, int depth = 1)
    {
        EXPECT_EQ(AddScanJob(address, format, depth), AddResult::Added);
        std::lock_guard<std::mutex> lock(gEngineLock);
        return JobAt(JobCount() - 1);
    }

    void Select(const std::vector<int>& rows)
    {
        ListView_SetItemState(gMain.scanList, -1, 0, LVIS_SELECTED);
        for (int row : rows) ListView_SetItemState(gMain.scanList, row, LVIS_SELECTED, LVIS_SELECTED);
    }
};

TEST_F(MainWindow, StartsOnTheDownloadPage)
{
    EXPECT_EQ(gMain.currentPage, kPageDownload);
    EXPECT_TRUE(IsWindowVisible(gMain.addressBox));
    EXPECT_TRUE(IsWindowVisible(gMain.scanList));
    EXPECT_FALSE(IsWindowVisible(gMain.keywordBox));
    EXPECT_FALSE(IsWindowVisible(gMain.bookmarkList));
    EXPECT_EQ(Text(gMain.addressBox), "http://");
    for (HWND list : {gMain.formatList, gMain.searchFormatList, gMain.bookmarkFormatList})
        EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 0);
    for (HWND list : {gMain.depthList, gMain.searchDepthList, gMain.bookmarkDepthList})
        EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageA(gMain.formatList, CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessageA(gMain.engineList, CB_GETCOUNT, 0, 0), 2);
    EXPECT_FALSE(IsWindowEnabled(gMain.moreButton));
    EXPECT_EQ(Text(gMain.statusLine), "Complete: 0, Processing: 0, Queued : 0, Stopped : 0, Stopping: 0 links");
    EXPECT_EQ(Text(gMain.window), "Zorvel 2.0");
    EXPECT_EQ(StatusPart(0), "Ready");
    EXPECT_EQ(StatusPart(1), "0 Thrds");
    EXPECT_EQ(StatusPart(2), "0 files");
    EXPECT_EQ(StatusPart(3), "0KB");
    EXPECT_EQ(StatusPart(4), "");
    EXPECT_EQ(StatusPart(5), gSettings.szDownloadFolder);
}

TEST_F(MainWindow, LayoutAtGivenSizes)
{
    struct Case {
        int width, height;
        Rect address, scanButton, jobList, downloads, log;
    } cases[] = {
        {824, 576, {62, 92, 404, 22}, {729, 92, 80, 22}, {0, 142, 824, 268}, {0, 413, 824, 118}, {0, 534, 824, 21}},
        {1000, 700, {62, 92, 580, 22}, {905, 92, 80, 22}, {0, 142, 1000, 392}, {0, 537, 1000, 118}, {0, 658, 1000, 21}},
        // Narrower than 731: the width-dependent controls stay where they were.
        {700, 700, {62, 92, 580, 22}, {905, 92, 80, 22}, {0, 142, 700, 392}, {0, 537, 700, 118}, {0, 658, 700, 21}},
        // Lower than 201: the lists and the log stay too.
        {800, 200, {62, 92, 380, 22}, {705, 92, 80, 22}, {0, 142, 700, 392}, {0, 537, 700, 118}, {0, 658, 700, 21}},
    };
    ResetLayout();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        LayoutMainWindow(c.width, c.height);
        EXPECT_EQ(Place(gMain.addressBox), c.address);
        EXPECT_EQ(Place(gMain.scanButton), c.scanButton);
        EXPECT_EQ(Place(gMain.scanList), c.jobList);
        EXPECT_EQ(Place(gMain.downloadsList), c.downloads);
        EXPECT_EQ(Place(gMain.log), c.log);
    }
    // The last column stretches to the width that is left.
    EXPECT_EQ(ListView_GetColumnWidth(gMain.scanList, 0), 400);
    RECT client;
    GetClientRect(gMain.window, &client);
    LayoutMainWindow(client.right, client.bottom);
}

TEST_F(MainWindow, SplitterFollowsTheBottomWithinItsBounds)
{
    ResetLayout();
    struct Step {
        int height;
        int splitter;
    } steps[] = {
        {576, 410}, {676, 510},  // taller by 100: the bar moves down 100
        {576, 410}, {500, 334},  // lower by 76: up by 76
        {250, 180},              // never above 180, even when that crowds the bottom
        {0, 180},                // minimised: unchanged
        {250, 180},              // restored: as it was
        {600, 490},              // 180 + 350 would come within 110 of the bottom: pulled up
    };
    for (const Step& s : steps) {
        LayoutMainWindow(824, s.height);
        EXPECT_EQ(gMain.splitter, s.splitter) << s.height;
    }
    RECT client;
    GetClientRect(gMain.window, &client);
    LayoutMainWindow(client.right, client.bottom);
}

TEST_F(MainWindow, SplitterDrag)
{
    RECT client;
    GetClientRect(gMain.window, &client);
    ResetLayout();
    LayoutMainWindow(client.right, client.bottom);
    int start = gMain.splitter;

    // A release without a drag changes nothing.
    SendMessageA(gMain.window, WM_LBUTTONUP, 0, MAKELPARAM(100, 300));
    EXPECT_EQ(gMain.splitter, start);

    // Down on the bar, drag, release: the bar lands where released, within its bounds.
    SendMessageA(gMain.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, start + 1));
    EXPECT_TRUE(gMain.dragging);
    SendMessageA(gMain.window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 300));
    SendMessageA(gMain.window, WM_LBUTTONUP, 0, MAKELPARAM(100, 300));
    EXPECT_FALSE(gMain.dragging);
    EXPECT_EQ(gMain.splitter, 300);
    EXPECT_EQ(Place(gMain.scanList).height, 300 - 142);
    EXPECT_EQ(Place(gMain.downloadsList).y, 303);

    SendMessageA(gMain.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 301));
    SendMessageA(gMain.window, WM_LBUTTONUP, 0, MAKELPARAM(100, 20));
    EXPECT_EQ(gMain.splitter, 180);
    SendMessageA(gMain.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 181));
    SendMessageA(gMain.window, WM_LBUTTONUP, 0, MAKELPARAM(100, client.bottom - 5));
    EXPECT_EQ(gMain.splitter, client.bottom - 110);

    // A press beside the bar starts nothing.
    SendMessageA(gMain.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 120));
    EXPECT_FALSE(gMain.dragging);
}

TEST_F(MainWindow, PagesShowTheirGroups)
{
    struct Case {
        int page;
        bool search, download, bookmark;
    } cases[] = {{kPageSearch, true, false, false}, {kPageBookmark, false, false, true},
                 {kPageBookmark, false, false, true}, {kPageDownload, false, true, false}};
    for (const Case& c : cases) {
        SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(IDM_VIEW_SEARCH + c.page, 0), 0);
        EXPECT_EQ(gMain.currentPage, c.page);
        EXPECT_EQ(IsWindowVisible(gMain.keywordBox) != 0, c.search);
        EXPECT_EQ(IsWindowVisible(gMain.resultsList) != 0, c.search);
        EXPECT_EQ(IsWindowVisible(gMain.addressBox) != 0, c.download);
        EXPECT_EQ(IsWindowVisible(gMain.downloadsList) != 0, c.download);
        EXPECT_EQ(IsWindowVisible(gMain.rescanButton) != 0, c.bookmark);
        EXPECT_TRUE(IsWindowVisible(gMain.log));
        EXPECT_TRUE(IsWindowVisible(gMain.networkButton));
    }
    // The tabs are buttons of the window, told apart by handle.
    SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(gMain.searchTab));
    EXPECT_EQ(gMain.currentPage, kPageSearch);
    EXPECT_EQ(gMain.selectedTab, gMain.searchTab);
    ShowPage(kPageDownload);
}

TEST_F(MainWindow, JobListColumnsAndCells)
{
    const char* titles[] = {"Scanning Address List", "Status", "Format", "Depth", "Found", "Left", "Files", "Size"};
    const int widths[] = {400, 80, 60, 50, 60, 60, 60};
    for (int i = 0; i < 8; ++i) {
        char title[64] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        SendMessageA(gMain.scanList, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
        EXPECT_STREQ(title, titles[i]);
        if (i < 7) {
            EXPECT_EQ(ListView_GetColumnWidth(gMain.scanList, i), widths[i]) << i;
        }
    }

    SCANJOB* job = AddJob("http://h/a", 3, 2);
    SCANJOB* bare = AddJob("www.example.com/x", 4, 0);  // shown with its scheme
    ASSERT_EQ(ListView_GetItemCount(gMain.scanList), 2);
    std::vector<std::string> cells;
    for (int c = 0; c < 8; ++c) cells.push_back(Cell(gMain.scanList, 0, c));
    EXPECT_EQ(cells, (std::vector<std::string>{"http://h/a", "Queued", "Document", "R-2", "0", "0", "0", "0KB"}));
    EXPECT_EQ(Cell(gMain.scanList, 1, 0), "http://www.example.com/x");
    EXPECT_EQ(Cell(gMain.scanList, 1, 2), "Any");

    job->nState = kJobStopping;
    job->nStopMode = kStopGraceful;
    job->nFound = 12;
    job->nSize = 2097152;
    EXPECT_EQ(Cell(gMain.scanList, 0, 1), "Stopping gracefully");
    EXPECT_EQ(Cell(gMain.scanList, 0, 4), "12");
    EXPECT_EQ(Cell(gMain.scanList, 0, 7), "2.00MB");
    job->nStopMode = kStopImmediate;
    EXPECT_EQ(Cell(gMain.scanList, 0, 1), "Stopping immediately");
    bare->nState = kJobComplete;
    EXPECT_EQ(Cell(gMain.scanList, 1, 1), "Complete");
}

TEST_F(MainWindow, StatusColours)
{
    struct Case {
        int32_t state;
        COLORREF text;
        COLORREF background;  // CLR_DEFAULT: the list's own
    } cases[] = {
        {kJobQueued, RGB(0, 200, 0), CLR_DEFAULT},      {kJobProcessing, RGB(0, 255, 0), RGB(0, 0, 0)},
        {kJobComplete, RGB(0, 0, 0), CLR_DEFAULT},      {kJobStopped, RGB(228, 107, 27), CLR_DEFAULT},
        {kJobStopping, RGB(255, 255, 0), RGB(228, 107, 27)},
    };
    SCANJOB* job = AddJob("http://h/");
    NMLVCUSTOMDRAW draw = {};
    draw.nmcd.hdr.hwndFrom = gMain.scanList;
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = CDDS_PREPAINT;
    EXPECT_EQ(SendMessageA(gMain.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw)), CDRF_NOTIFYITEMDRAW);
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    EXPECT_EQ(SendMessageA(gMain.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw)), CDRF_NOTIFYSUBITEMDRAW);
    for (const Case& c : cases) {
        job->nState = c.state;
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
        draw.nmcd.lItemlParam = reinterpret_cast<LPARAM>(job);
        draw.iSubItem = 1;
        draw.clrText = draw.clrTextBk = RGB(1, 2, 3);
        EXPECT_EQ(SendMessageA(gMain.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw)), CDRF_NEWFONT);
        EXPECT_EQ(draw.clrText, c.text) << c.state;
        EXPECT_EQ(draw.clrTextBk, c.background == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : c.background) << c.state;
    }
    draw.iSubItem = 2;  // other columns draw by default
    EXPECT_EQ(SendMessageA(gMain.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw)), CDRF_DODEFAULT);
}

TEST_F(MainWindow, ContextMenuFollowsTheSelection)
{
    SCANJOB* processing = AddJob("http://h/p");
    SCANJOB* complete = AddJob("http://h/c");
    AddJob("http://h/q");
    processing->nState = kJobProcessing;
    complete->nState = kJobComplete;

    auto enabled = [](const std::vector<int>& rows) {
        int mask = 0;
        ListView_SetItemState(gMain.scanList, -1, 0, LVIS_SELECTED);
        for (int row : rows) ListView_SetItemState(gMain.scanList, row, LVIS_SELECTED, LVIS_SELECTED);
        int count = SelectionStateMask(&mask);
        std::string flags;
        for (const POPUPITEM& item : JobMenuItems(mask, count)) flags += item.enabled ? '1' : '0';
        return flags;  // Delete, Stop Gracefully, Stop Immediately, Bookmark, Rescan, Change & Rescan, Open
    };
    EXPECT_EQ(enabled({0, 1}), "1111100");
    EXPECT_EQ(enabled({1}), "1001111");
    EXPECT_EQ(enabled({0}), "0110001");
    EXPECT_EQ(enabled({2}), "1000001");

    // Stop Immediately on both: the Complete one becomes Stopping, then Stopped at the recount.
    Select({0, 1});
    RunJobCommand(IDC_JOB_STOP_IMMEDIATELY);
    EXPECT_EQ(processing->nState.load(), kJobStopping);
    EXPECT_EQ(complete->nState.load(), kJobStopping);

    // Delete removes only what may go: the Queued job.
    Select({0, 2});
    RunJobCommand(IDC_JOB_DELETE);
    ASSERT_EQ(ListView_GetItemCount(gMain.scanList), 2);
    EXPECT_EQ(Cell(gMain.scanList, 0, 0), "http://h/p");
    EXPECT_EQ(Cell(gMain.scanList, 1, 0), "http://h/c");
}

TEST_F(MainWindow, SortingReordersTheJobTable)
{
    const int found[] = {5, 1, 3};
    for (int i = 0; i < 3; ++i) {
        std::string address = "http://h/";
        address += std::to_string(i);
        AddJob(address.c_str())->nFound = found[i];
    }
    auto tableOrder = [] {
        std::string order;
        std::lock_guard<std::mutex> lock(gEngineLock);
        ForEachJob([&order](SCANJOB* job) {
            order += std::to_string(job->nFound.load());
            return true;
        });
        return order;
    };
    auto rowOrder = [] {
        std::string order;
        for (int row = 0; row < 3; ++row) order += Cell(gMain.scanList, row, 4);
        return order;
    };
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = gMain.scanList;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 4;
    SendMessageA(gMain.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(rowOrder(), "135");
    EXPECT_EQ(tableOrder(), "135");
    SendMessageA(gMain.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(rowOrder(), "531");
    EXPECT_EQ(tableOrder(), "531");
    click.iSubItem = 0;  // another column: ascending again, by address
    SendMessageA(gMain.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(tableOrder(), "513");
}

TEST_F(MainWindow, DownloadsListRows)
{
    DOWNLOADITEM* item = AddDownloadItem("http://h/big.jpg");
    item->nSize = 500000;
    item->nTransferred = 2097152;
    item->nPercent = 42;
    DOWNLOADITEM* done = AddDownloadItem("http://h/done.jpg");
    ASSERT_EQ(ListView_GetItemCount(gMain.downloadsList), 2);
    std::vector<std::string> cells;
    for (int c = 0; c < 5; ++c) cells.push_back(Cell(gMain.downloadsList, 0, c));
    EXPECT_EQ(cells, (std::vector<std::string>{"http://h/big.jpg", "Transferring", "488KB", "2.00MB", "42%"}));
    item->nState = kDownloadRetrying;
    done->nState = kDownloadComplete;
    RefreshDownloadList();
    ASSERT_EQ(ListView_GetItemCount(gMain.downloadsList), 1);
    EXPECT_EQ(Cell(gMain.downloadsList, 0, 1), "Retrying");
}

int64_t gNow = 0;
int64_t FakeNow() { return gNow; }

TEST_F(MainWindow, StatusBarTotalsAndRate)
{
    SetClockForTest(FakeNow);
    gNow = 1700000000;
    SetUpStatusBar();
    struct Step {
        int64_t advance, total;
        const char* totalText;
        const char* rate;
    } steps[] = {
        {0, 0, "0KB", ""},
        {3, 5000000, "4.77MB", ""},  // the previous total was 0: no rate yet
        {2, 5000000, "4.77MB", "0KB/sec"},
        {0, 6000000, "5.72MB", "0KB/sec"},  // the same second: the rate stays
        {1, 1000000, "976KB", "1KB/sec"},   // a negative rate reads as the smallest size text
        {2, 4000000, "3.81MB", "1.43MB/sec"},
    };
    for (const Step& s : steps) {
        gNow += s.advance;
        SetStatusPartText(3, nullptr, s.total);
        EXPECT_EQ(StatusPart(3), s.totalText);
        EXPECT_EQ(StatusPart(4), s.rate) << s.total;
    }
    SetStatusPartText(1, nullptr, 7);
    SetStatusPartText(2, nullptr, 12);
    SetStatusPartText(0, "Processing", 0);
    EXPECT_EQ(StatusPart(1), "7 Thrds");
    EXPECT_EQ(StatusPart(2), "12 files");
    EXPECT_EQ(StatusPart(0), "Processing");
}

TEST_F(MainWindow, LogEntries)
{
    SetWindowTextA(gMain.log, "");
    gNow = LocalTime(2026, 2, 3, 9, 5, 7);
    SetClockForTest(FakeNow);
    AppendLog("first");
    AppendLog(std::string(300, 'm').c_str());
    EXPECT_EQ(Text(gMain.log), "\r\n02/03/26 09:05:07 : first\r\n02/03/26 09:05:07 : " + std::string(177, 'm'));
}

TEST_F(MainWindow, LogEntriesFromManyThreadsStayWhole)
{
    SetWindowTextA(gMain.log, "");
    std::atomic<int> running{4};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &running] {
            for (int i = 0; i < 25; ++i) {
                std::string message = "thread " + std::to_string(t) + " entry " + std::to_string(i);
                AppendLog(message.c_str());
            }
            --running;
        });
    while (running > 0) {
        Pump();
        Sleep(1);
    }
    for (auto& thread : threads) thread.join();
    PumpUntil([] { return LogLineCount() >= 100; });
    std::string log = Text(gMain.log);
    int lines = 0;
    for (size_t at = 0; (at = log.find("\r\n", at)) != std::string::npos; at += 2) {
        ++lines;
        size_t end = log.find("\r\n", at + 2);
        std::string line = log.substr(at + 2, end == std::string::npos ? std::string::npos : end - at - 2);
        EXPECT_NE(line.find(" : thread "), std::string::npos) << line;
    }
    EXPECT_EQ(lines, 100);
}

TEST_F(MainWindow, LogKeepsLoggingPastItsLimitAndOutOfMemory)
{
    const std::string oldest(32768, 'o');
    const std::string newer = "\r\nnewer text";
    SetWindowTextA(gMain.log, (oldest + newer).c_str());
    const WPARAM full = oldest.size() + newer.size();
    SendMessageA(gMain.log, EM_SETLIMITTEXT, full, 0);
    gNow = LocalTime(2026, 2, 3, 9, 5, 7);
    SetClockForTest(FakeNow);

    // An entry that does not fit raises the limit.
    AppendLog("does not fit");
    EXPECT_EQ(static_cast<WPARAM>(SendMessageA(gMain.log, EM_GETLIMITTEXT, 0, 0)), full + 32768);
    // Out of memory: the oldest 32,768 characters go, and entries keep arriving.
    std::string before = Text(gMain.log);
    SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(gMain.log), EN_ERRSPACE),
                 reinterpret_cast<LPARAM>(gMain.log));
    std::string after = Text(gMain.log);
    EXPECT_EQ(before.size() - after.size(), 32768u);
    EXPECT_TRUE(after == before.substr(32768)) << "the text kept is not the newest";
    EXPECT_EQ(after.substr(0, newer.size()), newer);
    AppendLog("still logging");
    EXPECT_EQ(Text(gMain.log), after + "\r\n02/03/26 09:05:07 : still logging");
    SendMessageA(gMain.log, EM_SETLIMITTEXT, 1048576, 0);
}

// Posts `text` to `window` one character at a time, as typing delivers it, and handles the
// messages as the program's message loop does, accelerators included.
void Type(HACCEL accelerators, HWND window, const std::string& text)
{
    for (char c : text) PostMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 1);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) HandleLoopMessage(accelerators, &message);
}

TEST_F(MainWindow, EditBoxesTakeEveryCharacterAndTheWindowTakesAbout)
{
    HACCEL accelerators = LoadAcceleratorsA(gMain.instance, MAKEINTRESOURCEA(IDR_MAIN));
    ASSERT_NE(accelerators, nullptr);
    // Two plain characters, no modifier keys, no menu highlighting.
    ACCEL entries[4] = {};
    ASSERT_EQ(CopyAcceleratorTableA(accelerators, entries, 4), 2);
    const char keys[] = "?/";
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(entries[i].key, keys[i]);
        EXPECT_EQ(entries[i].fVirt & ~0x80, FNOINVERT) << keys[i];  // 0x80 marks the table's last entry
        EXPECT_EQ(entries[i].cmd, IDM_ABOUT) << keys[i];
    }

    struct Case {
        int page;
        HWND box;
        const char* text;
    } cases[] = {
        {kPageSearch, gMain.keywordBox, "why/how?"},
        {kPageDownload, gMain.addressBox, "http://127.0.0.1/a/b?c=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ShowPage(c.page);
        SetWindowTextA(c.box, "");
        SetFocus(c.box);
        Type(accelerators, c.box, c.text);
        EXPECT_EQ(Text(c.box), c.text);
    }
    SetWindowTextA(gMain.keywordBox, "");
    // Scan it takes the address as typed.
    SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(gMain.scanButton));
    ASSERT_EQ(ListView_GetItemCount(gMain.scanList), 1);
    EXPECT_EQ(Cell(gMain.scanList, 0, 0), "http://127.0.0.1/a/b?c=1");

    // With the focus on the window itself, "?" opens the dialog on its About command.
    gOptionsPage = 0;
    std::atomic<bool> opened{false};
    std::thread user([&opened] {
        HWND dialog = WaitForDialog();
        if (dialog == nullptr) return;
        opened = true;
        CancelDialog(dialog);
    });
    SetFocus(gMain.window);
    Type(accelerators, gMain.window, "?");
    user.join();
    EXPECT_TRUE(opened);
    EXPECT_EQ(gOptionsPage, 1);
    SetWindowTextA(gMain.addressBox, "http://");
    gOptionsPage = 0;
}

TEST_F(MainWindow, AddressHandOver)
{
    auto handOver = [](ULONG_PTR tag, const std::string& text) {
        COPYDATASTRUCT data = {};
        data.dwData = tag;
        data.cbData = static_cast<DWORD>(text.size());
        data.lpData = const_cast<char*>(text.data());
        return SendMessageA(gMain.window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    };
    ShowPage(kPageSearch);
    EXPECT_EQ(handOver(13898, "http://handed/over"), 0);
    EXPECT_EQ(Text(gMain.addressBox), "http://handed/over");
    EXPECT_EQ(gMain.currentPage, kPageDownload);
    EXPECT_EQ(handOver(13899, "http://wrong/tag"), 0);
    EXPECT_EQ(Text(gMain.addressBox), "http://handed/over");
    EXPECT_EQ(handOver(13898, "http://" + std::string(300, 'x')), 0);
    EXPECT_EQ(Text(gMain.addressBox).size(), 255u);
    EXPECT_EQ(ListView_GetItemCount(gMain.scanList), 0);  // handing over adds no job
}

TEST_F(MainWindow, ScanItAddsTheTypedAddress)
{
    SetWindowTextA(gMain.addressBox, "HTTP://WWW.Site.COM/Gallery");
    SendMessageA(gMain.formatList, CB_SETCURSEL, 2, 0);
    SendMessageA(gMain.depthList, CB_SETCURSEL, 3, 0);
    SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(gMain.scanButton));
    ASSERT_EQ(ListView_GetItemCount(gMain.scanList), 1);
    EXPECT_EQ(Cell(gMain.scanList, 0, 0), "http://www.site.com/Gallery");
    EXPECT_EQ(Cell(gMain.scanList, 0, 2), "Video");
    EXPECT_EQ(Cell(gMain.scanList, 0, 3), "R-3");
    EXPECT_EQ(Text(gMain.addressBox), "HTTP://WWW.Site.COM/Gallery");  // the box keeps the text as typed
    SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(gMain.scanButton));
    EXPECT_EQ(ListView_GetItemCount(gMain.scanList), 1);
    std::string log = Text(gMain.log);
    EXPECT_NE(log.find("Already in Scanning Address List( http://www.site.com/Gallery )"), std::string::npos);
    SetWindowTextA(gMain.addressBox, "http://");
    SendMessageA(gMain.window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(gMain.scanButton));
    EXPECT_EQ(Text(gMain.log).substr(Text(gMain.log).size() - 16), "Type correct url");
    SendMessageA(gMain.formatList, CB_SETCURSEL, 0, 0);
    SendMessageA(gMain.depthList, CB_SETCURSEL, 1, 0);
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    InitCommonControls();
    SetDefaultSettings(&gSettings);
    LoadStringA(instance, IDS_APP_TITLE, gMain.title, sizeof gMain.title);
    LoadStringA(instance, IDS_WINDOW_CLASS, gMain.className, sizeof gMain.className);
    InitMainWindowState(instance);
    gMain.networkState = 1;
    if (!CreateMainWindow(SW_SHOW)) {
        std::fprintf(stderr, "the main window could not be made (error %lu)\n", GetLastError());
        return 1;
    }
    Pump();
    int result = RUN_ALL_TESTS();
    ResetViews();
    return result;
}
