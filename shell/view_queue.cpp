#include "shell/view_queue.h"

#include "engine/scan_list_window.h"
#include "shell/downloads_list_window.h"
#include "shell/list_view.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"

#include <cstdio>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

struct QUEUEDREPORT {
    int kind;  // a QueuedKind, or kQueuedLog
    void* record;
    int64_t when;
    std::string text;
};
constexpr int kQueuedLog = -1;

struct LATEST {
    bool part[4];
    char partText[256];  // part 0
    int64_t partNumber[4];
    int64_t partWhen[4];
    bool title;
    char titleText[100];
    bool statusLine;
    char statusLineText[256];
};

// Guards the queue, the latest values and `gArmed`. Held only to add or take reports.
std::mutex gQueueLock;
std::vector<QUEUEDREPORT> gQueue;
LATEST gLatest;
// A wake-up is posted or the pace timer runs: the reports waiting will be applied without
// another post.
bool gArmed = false;
bool gApplying = false;  // user-interface thread only

bool Waiting()
{
    return !gQueue.empty() || gLatest.part[0] || gLatest.part[1] || gLatest.part[2] || gLatest.part[3] ||
           gLatest.title || gLatest.statusLine;
}

// Called with the lock held once a report waits; true when the caller must post the wake-up.
bool Arm()
{
    if (gArmed) return false;
    gArmed = true;
    return true;
}

void Wake(bool post)
{
    if (!post) return;
    if (gMain.window != nullptr && PostMessageA(gMain.window, WM_ZORVEL_VIEWS_WAITING, 0, 0)) return;
    std::lock_guard<std::mutex> lock(gQueueLock);
    gArmed = false;  // the next report tries again
}

// While a batch changes the downloads list, the list neither draws nor updates its scroll bar
// (which it would otherwise draw at once for every row added or removed); it draws once when
// the batch is done, and once more for each redraw report, so that rows ending in this batch are
// seen in their final state before they go.
struct BATCHDRAWING {
    bool downloadsFrozen = false;
    void Freeze()
    {
        if (downloadsFrozen) return;
        SendMessageA(gMain.downloadsList, WM_SETREDRAW, FALSE, 0);
        downloadsFrozen = true;
    }
    void Thaw()
    {
        if (!downloadsFrozen) return;
        SendMessageA(gMain.downloadsList, WM_SETREDRAW, TRUE, 0);
        downloadsFrozen = false;
    }
};

void Apply(const QUEUEDREPORT& report, BATCHDRAWING& drawing)
{
    switch (report.kind) {
    case kQueuedLog: AppendLogEntry(report.text.c_str(), report.when); break;
    case kQueuedJobAdded: AddJobRow(static_cast<SCANJOB*>(report.record)); break;
    // Only a lookup by the record's address: a job whose row is gone is never read.
    case kQueuedJobRedrawn: InvalidateRowOf(gMain.scanList, report.record); break;
    case kQueuedDownloadAdded:
        drawing.Freeze();
        AddDownloadRow(static_cast<DOWNLOADROW*>(report.record));
        break;
    case kQueuedDownloadsRedrawn:
        drawing.Thaw();
        RedrawDownloadRows();
        break;
    case kQueuedDownloadRemoved:
        drawing.Freeze();
        RemoveDownloadRow(static_cast<DOWNLOADROW*>(report.record));
        break;
    default: break;
    }
}

void ApplyLatest(const LATEST& latest)
{
    for (int kind = 0; kind < 4; ++kind)
        if (latest.part[kind])
            SetStatusPartText(kind, latest.partText, latest.partNumber[kind], latest.partWhen[kind]);
    if (latest.title) SetWindowTextA(gMain.window, latest.titleText);
    if (latest.statusLine) SetJobStatusLineText(latest.statusLineText);
}

}  // namespace

bool QueueRowReport(QueuedKind kind, void* record)
{
    bool post = false;
    try {
        std::lock_guard<std::mutex> lock(gQueueLock);
        gQueue.push_back({kind, record, 0, {}});
        post = Arm();
    } catch (const std::bad_alloc&) {
        return false;
    }
    Wake(post);
    return true;
}

void QueueLogEntry(const char* message, int64_t when)
{
    bool post = false;
    try {
        QUEUEDREPORT report{kQueuedLog, nullptr, when, message};
        std::lock_guard<std::mutex> lock(gQueueLock);
        gQueue.push_back(std::move(report));
        post = Arm();
    } catch (const std::bad_alloc&) {
        return;  // the entry is lost, as an entry the control has no room for would be
    }
    Wake(post);
}

namespace {

// Changes the latest state reports under the queue's lock, then wakes the window if needed.
template <typename Change>
void ChangeLatest(Change&& change)
{
    bool post;
    {
        std::lock_guard<std::mutex> lock(gQueueLock);
        change(gLatest);
        post = Arm();
    }
    Wake(post);
}

}  // namespace

void QueueStatusPart(int kind, const char* text, int64_t number, int64_t when)
{
    if (kind < 0 || kind > 3) return;
    ChangeLatest([&](LATEST& latest) {
        latest.part[kind] = true;
        if (kind == 0) std::snprintf(latest.partText, sizeof latest.partText, "%s", text ? text : "");
        latest.partNumber[kind] = number;
        latest.partWhen[kind] = when;
    });
}

void QueueTitle(const char* title)
{
    ChangeLatest([&](LATEST& latest) {
        latest.title = true;
        std::snprintf(latest.titleText, sizeof latest.titleText, "%s", title);
    });
}

void QueueJobStatusLine(const char* text)
{
    ChangeLatest([&](LATEST& latest) {
        latest.statusLine = true;
        std::snprintf(latest.statusLineText, sizeof latest.statusLineText, "%s", text);
    });
}

void ApplyQueuedViews()
{
    // Controls send no reports while they are changed; should one ever do, it must not start a
    // second pass over the batch being applied.
    if (gApplying) return;
    gApplying = true;
    std::vector<QUEUEDREPORT> batch;
    LATEST latest;
    {
        std::lock_guard<std::mutex> lock(gQueueLock);
        batch.swap(gQueue);
        latest = gLatest;
        gLatest = LATEST{};
    }
    BATCHDRAWING drawing;
    for (const QUEUEDREPORT& report : batch) Apply(report, drawing);
    drawing.Thaw();
    ApplyLatest(latest);
    gApplying = false;
}

void ViewsWaiting(HWND window)
{
    ApplyQueuedViews();
    SetTimer(window, kViewPaceTimer, kViewPaceMs, nullptr);
}

void ViewPaceTick(HWND window)
{
    {
        std::lock_guard<std::mutex> lock(gQueueLock);
        if (!Waiting()) {
            gArmed = false;
            KillTimer(window, kViewPaceTimer);
            return;
        }
    }
    ApplyQueuedViews();
}
