#include "engine/views.h"

#include <atomic>
#include <cstdio>

namespace {

void NoLog(const char*) {}
void NoStatusPart(int, const char*, int64_t) {}
void NoTitle(const char*) {}
void NoJobRow(SCANJOB*) {}
void NoStatusLine(const char*) {}
void NoDownloadItem(DOWNLOADITEM*) {}

// Without a view the message still reaches whoever started the program.
void PrintFatal(const char* message)
{
    std::fprintf(stderr, "Error: %s\n", message);
}
void NoDownloadList() {}

VIEWS gNoViews = {
    .appendLog = NoLog,
    .setStatusPart = NoStatusPart,
    .setTitle = NoTitle,
    .jobRowAdded = NoJobRow,
    .jobRowRedrawn = NoJobRow,
    .jobRowRemoved = NoJobRow,
    .downloadItemAdded = NoDownloadItem,
    .downloadListRedrawn = NoDownloadList,
    .downloadItemRemoved = NoDownloadItem,
    .setJobStatusLine = NoStatusLine,
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
    FillDefault(views->downloadItemAdded, gNoViews.downloadItemAdded);
    FillDefault(views->downloadListRedrawn, gNoViews.downloadListRedrawn);
    FillDefault(views->downloadItemRemoved, gNoViews.downloadItemRemoved);
    FillDefault(views->setJobStatusLine, gNoViews.setJobStatusLine);
    FillDefault(views->fatalError, gNoViews.fatalError);
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
