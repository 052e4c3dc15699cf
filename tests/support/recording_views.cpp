#include "support/recording_views.h"

#include "engine/views.h"

#include <mutex>

namespace {

std::mutex gLock;
RECORDING gRecording;
VIEWS gRecordingViews;

void RecordLog(const char* message)
{
    std::lock_guard<std::mutex> lock(gLock);
    gRecording.logLines.emplace_back(message);
}

void RecordRowAdded(SCANJOB* job)
{
    std::lock_guard<std::mutex> lock(gLock);
    gRecording.rowsAdded.push_back(job);
}

void RecordRowRemoved(SCANJOB* job)
{
    std::lock_guard<std::mutex> lock(gLock);
    gRecording.rowsRemoved.push_back(job);
}

void RecordStatusPart(int kind, const char* text, int64_t number)
{
    std::lock_guard<std::mutex> lock(gLock);
    gRecording.statusParts.push_back(std::to_string(kind) + ":" + (kind == 0 ? std::string(text) : std::to_string(number)));
}

void RecordTitle(const char* title)
{
    std::lock_guard<std::mutex> lock(gLock);
    gRecording.titles.emplace_back(title);
}

void RecordJobStatusLine(const char* text)
{
    std::lock_guard<std::mutex> lock(gLock);
    gRecording.jobStatusLines.emplace_back(text);
}

void RecordRowRedrawn(SCANJOB*)
{
    std::lock_guard<std::mutex> lock(gLock);
    ++gRecording.rowsRedrawn;
}

void RecordTransfer(const char* address, int outcome, int64_t number, const char* detail)
{
    std::lock_guard<std::mutex> lock(gLock);
    gRecording.transfers.push_back({address, outcome, number, detail});
}

}  // namespace

std::vector<TRANSFER> RECORDING::Failures() const
{
    std::vector<TRANSFER> failures;
    for (const TRANSFER& t : transfers)
        if ((t.outcome & ~kStartPageFailed) >= kNameNotResolved) failures.push_back(t);
    return failures;
}

void InstallRecordingViews()
{
    {
        std::lock_guard<std::mutex> lock(gLock);
        gRecording = RECORDING{};
    }
    gRecordingViews = VIEWS{};
    gRecordingViews.appendLog = RecordLog;
    gRecordingViews.jobRowAdded = RecordRowAdded;
    gRecordingViews.jobRowRemoved = RecordRowRemoved;
    gRecordingViews.jobRowRedrawn = RecordRowRedrawn;
    gRecordingViews.setStatusPart = RecordStatusPart;
    gRecordingViews.setTitle = RecordTitle;
    gRecordingViews.setJobStatusLine = RecordJobStatusLine;
    gRecordingViews.transferEnded = RecordTransfer;
    InstallViews(&gRecordingViews);
}

RECORDING Recorded()
{
    std::lock_guard<std::mutex> lock(gLock);
    return gRecording;
}
