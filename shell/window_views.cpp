// The window's side of the views seam. Controls are touched only on the user-interface thread.
// A report made there is carried out at once, after everything still queued. From another
// thread, reports that only show state are queued (shell/view_queue) and the thread goes on
// without waiting for the window; the rest (a job row removed, whose record is released right
// after; the web search; message boxes) are handed over by one synchronous message, which also
// applies the queue first, so every report keeps its place in the order.
#include "engine/download_list.h"
#include "engine/scan_list_window.h"
#include "engine/views.h"
#include "platform/clock.h"
#include "search/result_list_window.h"
#include "search/search.h"
#include "shell/downloads_list_window.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "shell/view_queue.h"

#include <cstdint>

namespace {

enum ViewKind : WPARAM {
    kJobAdded,
    kJobRedrawn,
    kJobRemoved,
    kJobsRedrawn,
    kDownloadAdded,
    kDownloadsRedrawn,
    kDownloadRemoved,
    kFatal,
    kResultAdded,
    kResultsCleared,
    kSearchButtons,
    kMessage,
};

struct MESSAGETEXT {
    const char* text;
    const char* caption;
};

DWORD gInterfaceThread = 0;

bool OnInterfaceThread()
{
    return GetCurrentThreadId() == gInterfaceThread;
}

LRESULT Hand(ViewKind kind, const void* argument)
{
    if (gMain.window == nullptr) return 0;
    return SendMessageA(gMain.window, WM_ZORVEL_VIEW, kind, reinterpret_cast<LPARAM>(argument));
}

// A row report: carried out here on the user-interface thread, else queued (or, without memory
// for the queue, handed over).
void RowReport(ViewKind kind, QueuedKind queued, void* record)
{
    if (OnInterfaceThread() || !QueueRowReport(queued, record)) Hand(kind, record);
}

void AppendLogView(const char* message)
{
    if (!OnInterfaceThread()) return QueueLogEntry(message, ClockNow());
    ApplyQueuedViews();
    AppendLogEntry(message);
}

void StatusPartView(int kind, const char* text, int64_t number)
{
    if (!OnInterfaceThread()) return QueueStatusPart(kind, text, number, ClockNow());
    ApplyQueuedViews();
    SetStatusPartText(kind, text, number);
}

void TitleView(const char* title)
{
    if (!OnInterfaceThread()) return QueueTitle(title);
    ApplyQueuedViews();
    SetWindowTextA(gMain.window, title);
}

void JobStatusLineView(const char* text)
{
    if (!OnInterfaceThread()) return QueueJobStatusLine(text);
    ApplyQueuedViews();
    SetJobStatusLineText(text);
}

void DownloadAddedView(DOWNLOADITEM* item)
{
    DOWNLOADROW* row = NewDownloadRow(item);
    if (row != nullptr) RowReport(kDownloadAdded, kQueuedDownloadAdded, row);
}

// The row's record lets the item go before this returns; the row itself may go later.
void DownloadRemovedView(DOWNLOADITEM* item)
{
    DOWNLOADROW* row = LetGoDownloadRow(item);
    if (row != nullptr) RowReport(kDownloadRemoved, kQueuedDownloadRemoved, row);
}

VIEWS gWindowViews = {
    .appendLog = AppendLogView,
    .setStatusPart = StatusPartView,
    .setTitle = TitleView,
    .jobRowAdded = [](SCANJOB* job) { RowReport(kJobAdded, kQueuedJobAdded, job); },
    .jobRowRedrawn = [](SCANJOB* job) { RowReport(kJobRedrawn, kQueuedJobRedrawn, job); },
    // The job is released when this returns, and its row reads it: the row goes first.
    .jobRowRemoved = [](SCANJOB* job) { Hand(kJobRemoved, job); },
    .jobListRedrawn = [] { Hand(kJobsRedrawn, nullptr); },
    .downloadItemAdded = DownloadAddedView,
    .downloadListRedrawn = [] { RowReport(kDownloadsRedrawn, kQueuedDownloadsRedrawn, nullptr); },
    .downloadItemRemoved = DownloadRemovedView,
    .setJobStatusLine = JobStatusLineView,
    .searchResultAdded = [](SEARCHRESULT* result) { Hand(kResultAdded, result); },
    .searchResultsCleared = [] { Hand(kResultsCleared, nullptr); },
    .enableSearchButtons = [](int search, int more) { Hand(kSearchButtons, reinterpret_cast<void*>(static_cast<intptr_t>(search | (more << 1)))); },
    .showMessage =
        [](const char* text, const char* caption) {
            MESSAGETEXT message{text, caption};
            Hand(kMessage, &message);
        },
    // The default: "Error code = %d" on standard output when a name cannot be resolved.
    .transferEnded = nullptr,
    .fatalError = [](const char* message) { Hand(kFatal, message); },
};

}  // namespace

void InstallWindowViews()
{
    gInterfaceThread = GetCurrentThreadId();
    InstallViews(&gWindowViews);
}

LRESULT RunViewRequest(WPARAM kind, LPARAM argument)
{
    ApplyQueuedViews();
    const char* text = reinterpret_cast<const char*>(argument);
    switch (kind) {
    case kJobAdded: AddJobRow(reinterpret_cast<SCANJOB*>(argument)); break;
    case kJobRedrawn: RedrawJobRow(reinterpret_cast<SCANJOB*>(argument)); break;
    case kJobRemoved: RemoveJobRow(reinterpret_cast<SCANJOB*>(argument)); break;
    case kJobsRedrawn: RedrawJobList(); break;
    case kDownloadAdded: AddDownloadRow(reinterpret_cast<DOWNLOADROW*>(argument)); break;
    case kDownloadsRedrawn: RedrawDownloadRows(); break;
    case kDownloadRemoved: RemoveDownloadRow(reinterpret_cast<DOWNLOADROW*>(argument)); break;
    case kFatal: MessageBoxA(gMain.window, text, "Error", MB_OK); break;
    case kResultAdded: AddResultRow(reinterpret_cast<SEARCHRESULT*>(argument)); break;
    case kResultsCleared: ClearResultRows(); break;
    case kSearchButtons: EnableSearchButtons(argument & 1, argument & 2); break;
    case kMessage: {
        const auto* message = reinterpret_cast<const MESSAGETEXT*>(argument);
        MessageBoxA(gMain.window, message->text, message->caption, MB_OK);
        break;
    }
    default: break;
    }
    return 0;
}
