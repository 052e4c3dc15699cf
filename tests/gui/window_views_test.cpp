// Reports made on other threads while the window's thread is busy: they return at once, and
// the window shows them later, in order, with the latest state, and never from a released record.
#include "engine/download_list.h"
#include "engine/job_table.h"
#include "engine/log_entry.h"
#include "engine/scheduler.h"
#include "engine/views.h"
#include "platform/clock.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "support/local_time.h"

#include "gui_helpers.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

// Every block is overwritten when it is freed in this test program, so a row that read a
// released download item would show nonsense rather than the item's last values.
void* operator new(std::size_t size)
{
    auto* block = static_cast<std::size_t*>(HeapAlloc(GetProcessHeap(), 0, size + 16));
    if (block == nullptr) throw std::bad_alloc();
    *block = size;
    return reinterpret_cast<char*>(block) + 16;
}

void operator delete(void* memory) noexcept
{
    if (memory == nullptr) return;
    char* block = static_cast<char*>(memory) - 16;
    std::memset(memory, 0xA5, *reinterpret_cast<std::size_t*>(block));
    HeapFree(GetProcessHeap(), 0, block);
}

void operator delete(void* memory, std::size_t) noexcept
{
    operator delete(memory);
}

namespace {

std::atomic<int64_t> gNow{0};
int64_t FakeNow()
{
    return gNow.load();
}

// Runs `reports` on another thread while this thread, the window's, waits on an event and
// handles no message. True when the reports returned within 5 s; either way the window then
// handles its messages until the thread has ended.
template <typename Reports>
bool ReturnWhileTheWindowIsBlocked(Reports reports)
{
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread engine([&] {
        reports();
        SetEvent(done);
    });
    bool returned = WaitForSingleObject(done, 5000) == WAIT_OBJECT_0;
    while (WaitForSingleObject(done, 0) != WAIT_OBJECT_0) {
        Pump();
        Sleep(1);
    }
    engine.join();
    CloseHandle(done);
    return returned;
}

std::string StatusPart(int part)
{
    char text[300] = {};
    SendMessageA(gMain.statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::string> RowCells(HWND list, int row)
{
    std::vector<std::string> cells;
    for (int column = 0; column < 5; ++column) cells.push_back(Cell(list, row, column));
    return cells;
}

// Watches one control through its window procedure: counts the messages of one kind, and
// reads a downloads-list row's cells just before the list deletes it.
struct WATCH {
    HWND control;
    UINT counted;
    WNDPROC previous;
    int count;
    std::vector<std::vector<std::string>> deletedRows;
};
WATCH gWatch;

LRESULT CALLBACK Watching(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == gWatch.counted) ++gWatch.count;
    if (message == LVM_DELETEITEM) gWatch.deletedRows.push_back(RowCells(window, static_cast<int>(wParam)));
    return CallWindowProcA(gWatch.previous, window, message, wParam, lParam);
}

void StartWatching(HWND control, UINT counted)
{
    gWatch = WATCH{control, counted, nullptr, 0, {}};
    gWatch.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Watching)));
}

void StopWatching()
{
    SetWindowLongPtrA(gWatch.control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gWatch.previous));
}

class WindowViews : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEngineForTest();
        Pump();
        SetWindowTextA(gMain.log, "");
        gNow = LocalTime(2026, 2, 3, 9, 5, 7);
        SetClockForTest(FakeNow);
    }
    void TearDown() override
    {
        Pump();
        ListView_DeleteAllItems(gMain.scanList);
        ListView_DeleteAllItems(gMain.downloadsList);
        ResetEngineForTest();
        ResetDownloadListForTest();
        SetClockForTest(nullptr);
        SetWindowTextA(gMain.window, gMain.title);
        SetUpStatusBar();
        UpdateJobStatusLine();
    }
};

TEST_F(WindowViews, ReportsReturnWhileTheWindowIsBlockedAndArriveInOrder)
{
    ASSERT_TRUE(ReturnWhileTheWindowIsBlocked([] {
        AppendLog("one");
        AddDownloadItem("http://h/a.jpg");
        gNow += 5;  // the entry keeps the time it was reported at, not the time it is shown
        AppendLog("two");
        AddDownloadItem("http://h/b.jpg");
    })) << "a report waited for the window";
    // Nothing was drawn on the reporting thread.
    EXPECT_EQ(Text(gMain.log), "");
    EXPECT_EQ(ListView_GetItemCount(gMain.downloadsList), 0);

    // A report made on the window's thread comes after everything reported before it.
    gNow += 60;
    AppendLog("three");
    EXPECT_EQ(Text(gMain.log), "\r\n02/03/26 09:05:07 : one\r\n02/03/26 09:05:12 : two\r\n02/03/26 09:06:12 : three");
    ASSERT_EQ(ListView_GetItemCount(gMain.downloadsList), 2);
    EXPECT_EQ(Cell(gMain.downloadsList, 0, 0), "http://h/a.jpg");
    EXPECT_EQ(Cell(gMain.downloadsList, 1, 0), "http://h/b.jpg");

    // Reported while the window is idle: shown without any report of the window's own.
    std::thread([] { AppendLog("four"); }).join();
    EXPECT_TRUE(PumpUntil([] { return Text(gMain.log).ends_with(" : four"); })) << Text(gMain.log);
}

TEST_F(WindowViews, StateReportsKeepTheLatestAndAreShownOnce)
{
    StartWatching(gMain.window, WM_SETTEXT);
    ASSERT_TRUE(ReturnWhileTheWindowIsBlocked([] {
        for (int files = 1; files <= 50; ++files) {
            std::string title = "Zorvel 2.0 - " + std::to_string(files) + " files";
            Views().setTitle(title.c_str());
            Views().setStatusPart(2, nullptr, files);
        }
        Views().setStatusPart(0, "Processing", 0);
        Views().setStatusPart(0, "Ready", 0);
        Views().setStatusPart(1, nullptr, 12);
        Views().setJobStatusLine("Complete: 0, Processing: 1, Queued : 0, Stopped : 0, Stopping: 0 links");
        Views().setJobStatusLine("Complete: 1, Processing: 0, Queued : 0, Stopped : 0, Stopping: 0 links");
    }));
    EXPECT_TRUE(PumpUntil([] { return Text(gMain.window) == "Zorvel 2.0 - 50 files"; })) << Text(gMain.window);
    StopWatching();
    EXPECT_EQ(gWatch.count, 1) << "titles set";
    EXPECT_EQ(StatusPart(0), "Ready");
    EXPECT_EQ(StatusPart(1), "12 Thrds");
    EXPECT_EQ(StatusPart(2), "50 files");
    EXPECT_EQ(Text(gMain.statusLine), "Complete: 1, Processing: 0, Queued : 0, Stopped : 0, Stopping: 0 links");
}

// The scheduler releases a finished item right after its row was reported removed; the row was
// reported added just before, and the window applies both only afterwards.
TEST_F(WindowViews, ARowQueuedForAnItemReleasedSinceShowsItsLastValues)
{
    StartWatching(gMain.downloadsList, LVM_DELETEITEM);
    int itemsLeft = -1;
    ASSERT_TRUE(ReturnWhileTheWindowIsBlocked([&itemsLeft] {
        DOWNLOADITEM* gone = AddDownloadItem("http://h/gone.jpg");
        DOWNLOADITEM* stays = AddDownloadItem("http://h/stays.jpg");
        gone->nSize = 500000;
        gone->nTransferred = 500000;
        gone->nPercent = 100;
        gone->nState = kDownloadComplete;
        stays->nSize = 2097152;
        RefreshDownloadList();  // releases `gone`
        itemsLeft = DownloadItemCount();
        stays->nTransferred = 1048576;
        stays->nPercent = 50;
    }));
    EXPECT_EQ(itemsLeft, 1);
    EXPECT_TRUE(PumpUntil([] { return gWatch.count == 1; }));
    StopWatching();
    ASSERT_EQ(gWatch.deletedRows.size(), 1u);
    EXPECT_EQ(gWatch.deletedRows[0], (std::vector<std::string>{"http://h/gone.jpg", "Complete", "488KB", "488KB", "100%"}));
    ASSERT_EQ(ListView_GetItemCount(gMain.downloadsList), 1);
    // A row whose item the engine still keeps follows the item.
    EXPECT_EQ(RowCells(gMain.downloadsList, 0),
              (std::vector<std::string>{"http://h/stays.jpg", "Transferring", "2.00MB", "1.00MB", "50%"}));
}

}  // namespace
