// The window's side of the views seam. Engine threads may report at any time; each report is
// handed to the user-interface thread by one synchronous message, so the controls are touched
// only there and every report (a log entry's four steps included) is carried out whole.
#include "engine/scan_list_window.h"
#include "engine/views.h"
#include "search/result_list_window.h"
#include "search/search.h"
#include "shell/downloads_list_window.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"

#include <cstdint>

namespace {

enum ViewKind : WPARAM {
    kLog,
    kStatusPart,
    kTitle,
    kJobAdded,
    kJobRedrawn,
    kJobRemoved,
    kJobsRedrawn,
    kDownloadAdded,
    kDownloadsRedrawn,
    kDownloadRemoved,
    kJobStatusLine,
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

struct STATUSPART {
    int kind;
    const char* text;
    int64_t number;
};

LRESULT Hand(ViewKind kind, const void* argument)
{
    if (gMain.window == nullptr) return 0;
    return SendMessageA(gMain.window, WM_ZORVEL_VIEW, kind, reinterpret_cast<LPARAM>(argument));
}

VIEWS gWindowViews = {
    .appendLog = [](const char* message) { Hand(kLog, message); },
    .setStatusPart =
        [](int kind, const char* text, int64_t number) {
            STATUSPART part{kind, text, number};
            Hand(kStatusPart, &part);
        },
    .setTitle = [](const char* title) { Hand(kTitle, title); },
    .jobRowAdded = [](SCANJOB* job) { Hand(kJobAdded, job); },
    .jobRowRedrawn = [](SCANJOB* job) { Hand(kJobRedrawn, job); },
    .jobRowRemoved = [](SCANJOB* job) { Hand(kJobRemoved, job); },
    .jobListRedrawn = [] { Hand(kJobsRedrawn, nullptr); },
    .downloadItemAdded = [](DOWNLOADITEM* item) { Hand(kDownloadAdded, item); },
    .downloadListRedrawn = [] { Hand(kDownloadsRedrawn, nullptr); },
    .downloadItemRemoved = [](DOWNLOADITEM* item) { Hand(kDownloadRemoved, item); },
    .setJobStatusLine = [](const char* text) { Hand(kJobStatusLine, text); },
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
    InstallViews(&gWindowViews);
}

LRESULT RunViewRequest(WPARAM kind, LPARAM argument)
{
    const char* text = reinterpret_cast<const char*>(argument);
    switch (kind) {
    case kLog: AppendLogEntry(text); break;
    case kStatusPart: {
        const auto* part = reinterpret_cast<const STATUSPART*>(argument);
        SetStatusPartText(part->kind, part->text, part->number);
        break;
    }
    case kTitle: SetWindowTextA(gMain.window, text); break;
    case kJobAdded: AddJobRow(reinterpret_cast<SCANJOB*>(argument)); break;
    case kJobRedrawn: RedrawJobRow(reinterpret_cast<SCANJOB*>(argument)); break;
    case kJobRemoved: RemoveJobRow(reinterpret_cast<SCANJOB*>(argument)); break;
    case kJobsRedrawn: RedrawJobList(); break;
    case kDownloadAdded: AddDownloadRow(reinterpret_cast<DOWNLOADITEM*>(argument)); break;
    case kDownloadsRedrawn: RedrawDownloadRows(); break;
    case kDownloadRemoved: RemoveDownloadRow(reinterpret_cast<DOWNLOADITEM*>(argument)); break;
    case kJobStatusLine: SetJobStatusLineText(text); break;
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
