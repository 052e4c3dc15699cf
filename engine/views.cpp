#include "engine/views.h"

#include "search/search.h"

#include <atomic>
#include <cstdio>

namespace {

void NoLog(const char*) {}
void NoStatusPart(int, const char*, int64_t) {}
void NoTitle(const char*) {}
void NoJobRow(SCANJOB*) {}
void NoStatusLine(const char*) {}
void NoDownloadItem(DOWNLOADITEM*) {}

void DropResult(SEARCHRESULT* result)
{
    delete result;
}
void NoClear() {}
void NoButtons(int, int) {}

// Without a view the message still reaches whoever started the program.
void PrintFatal(const char* message)
{
    std::fprintf(stderr, "Error: %s\n", message);
}

void PrintMessage(const char* text, const char* caption)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
}
void NoDownloadList() {}  // also the job list's redraw

// A windowed process shows no standard output; the line is what it always wrote there.
void PrintResolveError(const char*, int outcome, int64_t number, const char*)
{
    if ((outcome & ~kStartPageFailed) == kNameNotResolved) std::printf("Error code = %d\n", static_cast<int>(number));
}

VIEWS gNoViews = {
    .appendLog = NoLog,
    .setStatusPart = NoStatusPart,
    .setTitle = NoTitle,
    .jobRowAdded = NoJobRow,
    .jobRowRedrawn = NoJobRow,
    .jobRowRemoved = NoJobRow,
    .jobListRedrawn = NoDownloadList,
    .downloadItemAdded = NoDownloadItem,
    .downloadListRedrawn = NoDownloadList,
    .downloadItemRemoved = NoDownloadItem,
    .setJobStatusLine = NoStatusLine,
    .searchResultAdded = DropResult,
    .searchResultsCleared = NoClear,
    .enableSearchButtons = NoButtons,
    .showMessage = PrintMessage,
    .transferEnded = PrintResolveError,
    .fatalError = PrintFatal,
};

std::atomic<const VIEWS*> gCurrent{&gNoViews};

template <typename Fn>
void FillDefault(Fn*& member, Fn* fallback)
{
    if (member == nullptr) member = fallback;
}

}  // namespace

void InstallViews(VIEWS* views)
{
    FillDefault(views->appendLog, gNoViews.appendLog);
    FillDefault(views->setStatusPart, gNoViews.setStatusPart);
    FillDefault(views->setTitle, gNoViews.setTitle);
    FillDefault(views->jobRowAdded, gNoViews.jobRowAdded);
    FillDefault(views->jobRowRedrawn, gNoViews.jobRowRedrawn);
    FillDefault(views->jobRowRemoved, gNoViews.jobRowRemoved);
    FillDefault(views->jobListRedrawn, gNoViews.jobListRedrawn);
    FillDefault(views->downloadItemAdded, gNoViews.downloadItemAdded);
    FillDefault(views->downloadListRedrawn, gNoViews.downloadListRedrawn);
    FillDefault(views->downloadItemRemoved, gNoViews.downloadItemRemoved);
    FillDefault(views->setJobStatusLine, gNoViews.setJobStatusLine);
    FillDefault(views->transferEnded, gNoViews.transferEnded);
    FillDefault(views->fatalError, gNoViews.fatalError);
    FillDefault(views->searchResultAdded, gNoViews.searchResultAdded);
    FillDefault(views->searchResultsCleared, gNoViews.searchResultsCleared);
    FillDefault(views->enableSearchButtons, gNoViews.enableSearchButtons);
    FillDefault(views->showMessage, gNoViews.showMessage);
    gCurrent.store(views, std::memory_order_release);
}

void ResetViews()
{
    gCurrent.store(&gNoViews, std::memory_order_release);
}

const VIEWS& Views()
{
    return *gCurrent.load(std::memory_order_acquire);
}
