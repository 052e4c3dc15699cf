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

}  // namespace

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
    InstallViews(&gRecordingViews);
}

RECORDING Recorded()
{
    std::lock_guard<std::mutex> lock(gLock);
    return gRecording;
}
