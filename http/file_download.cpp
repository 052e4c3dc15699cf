#include "http/file_download.h"

#include "engine/download_list.h"
#include "engine/job_table.h"
#include "engine/log_entry.h"
#include "engine/scan_job.h"
#include "http/exchange.h"
#include "http/failure.h"
#include "http/file_name.h"
#include "platform/files.h"
#include "platform/net.h"
#include "settings/settings.h"

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace {

// Room for a temporary path: its name may be longer than a short final name, and the final
// path alone decides whether a file fits the 255-character budget.
constexpr int kTempNameSize = 40;
constexpr int kTempPathSize = kFullPathSize + kTempNameSize;

// Names being downloaded now, so that two threads reaching the same name fetch it once.
// Each downloading thread holds at most one; the pool is far smaller than the table.
constexpr int kInFlightSlots = 512;
std::mutex gInFlightLock;
char gInFlight[kInFlightSlots][kFileNameSize];

int ReserveName(const char* name)
{
    std::lock_guard<std::mutex> lock(gInFlightLock);
    int free = -1;
    for (int i = 0; i < kInFlightSlots; ++i) {
        if (gInFlight[i][0] == '\0') {
            if (free < 0) free = i;
        } else if (SameFileName(gInFlight[i], name)) {
            return -1;
        }
    }
    if (free >= 0) std::strcpy(gInFlight[free], name);
    return free;
}

void ReleaseName(int slot)
{
    std::lock_guard<std::mutex> lock(gInFlightLock);
    gInFlight[slot][0] = '\0';
}

std::atomic<unsigned> gTempCounter{0};

// The process id in a temporary name ".zorvel-<pid>-<n>.part"; false for any other name.
bool TempNameProcess(const char* name, int* pid)
{
    constexpr char kPrefix[] = ".zorvel-";
    if (std::strncmp(name, kPrefix, sizeof kPrefix - 1) != 0) return false;
    const char* c = name + sizeof kPrefix - 1;
    long long value = 0;
    const char* digits = c;
    for (; *c >= '0' && *c <= '9' && c - digits < 10; ++c) value = value * 10 + (*c - '0');
    if (c == digits || *c != '-' || value > INT32_MAX) return false;
    const char* counter = ++c;
    while (*c >= '0' && *c <= '9') ++c;
    if (c == counter || std::strcmp(c, ".part") != 0) return false;
    *pid = static_cast<int>(value);
    return true;
}

uint32_t FolderHash(const char* folder)
{
    uint32_t hash = 2166136261u;
    for (; *folder != '\0'; ++folder) hash = (hash ^ static_cast<unsigned char>(*folder)) * 16777619u;
    return hash == 0 ? 1 : hash;
}

enum class Outcome { Complete, Short, Stopped, Failed };

// Downloads move their bytes in pieces of this size.
constexpr int kTransferPiece = 64 * 1024;

// One transfer of the body into the open file: the body-start bytes, then receives of at
// most the bytes still missing. Never writes more than the item's size; a server that sends
// more than that fails the transfer. `keeping`: the connection is to stay open after the
// body; `*reusable` then tells whether it can carry another request.
Outcome Transfer(CONNECTION& connection, bool keeping, PlatformFile file, SCANJOB* job, DOWNLOADITEM* item,
                 const char* bodyStart, int bodyStartCount, int64_t* received, bool* reusable)
{
    *reusable = false;
    const int64_t size = item->nSize.load();
    int64_t transferred = item->nTransferred.load();
    auto take = [&](const char* bytes, int count) {
        if (count > size - transferred) return false;
        if (!WriteAll(file, bytes, static_cast<size_t>(count))) return false;
        transferred += count;
        *received += count;
        item->nTransferred.store(transferred);
        if (size > 0) item->nPercent.store(static_cast<int32_t>(transferred * 100 / size));
        return true;
    };

    if (!take(bodyStart, bodyStartCount)) return Outcome::Failed;
    char chunk[kTransferPiece];
    while (transferred < size && job->nStopMode.load(std::memory_order_relaxed) != 2) {
        int64_t missing = size - transferred;
        int count = ConnectionReceive(connection, chunk, missing < kTransferPiece ? static_cast<int>(missing) : kTransferPiece);
        if (count <= 0) break;
        if (!take(chunk, count)) return Outcome::Failed;
    }
    if (transferred == size) {
        // All announced bytes are here; a further byte means the server lied about the size. On
        // a connection that stays open nothing more may be waiting.
        if (keeping && !ConnectionReadable(connection)) {
            *reusable = true;
            return Outcome::Complete;
        }
        char extra;
        return ConnectionReceive(connection, &extra, 1) > 0 ? Outcome::Failed : Outcome::Complete;
    }
    return job->nStopMode.load() == 2 ? Outcome::Stopped : Outcome::Short;
}

void CountBytes(SCANJOB* job, int64_t bytes)
{
    job->nSize.fetch_add(bytes);
    gCounters.dwTotalBytes.fetch_add(bytes);
}

// True when the 206 head names exactly the missing tail "bytes <from>-<size-1>/<size>".
bool IsMissingTail(const char* head, int64_t from, int64_t size)
{
    char value[100];
    if (!FindHeader(head, "Content-Range", value, sizeof value)) return false;
    char expected[100];
    std::snprintf(expected, sizeof expected, "bytes %" PRId64 "-%" PRId64 "/%" PRId64, from, size - 1, size);
    return std::strcmp(value, expected) == 0;
}

// Everything one download holds open, released on every way out.
struct Download {
    Download(SCANJOB* j, const AddressRecord& a) : job(j), address(a) {}
    Download(const Download&) = delete;
    Download& operator=(const Download&) = delete;

    SCANJOB* job;
    const AddressRecord& address;
    int slot = -1;
    char name[kFileNameSize] = {};
    char path[kFullPathSize] = {};
    char tempPath[kTempPathSize] = {};
    PlatformFile file;
    CONNECTION connection;
    DOWNLOADITEM* item = nullptr;

    ~Download()
    {
        CloseServerConnection(connection);
        if (IsOpen(file)) {
            CloseFile(file);
            DeletePath(tempPath);
        }
        if (slot >= 0) ReleaseName(slot);
    }

    // Ends the item, if there is one yet, in `state` (the last write to it) and leaves nothing
    // behind.
    int Fail(int32_t state)
    {
        CloseServerConnection(connection);
        CloseFile(file);
        DeletePath(tempPath);
        if (item) item->nState.store(state);
        return 0;
    }

    // Creates the temporary file. A name taken already (by a process of the same id that
    // ended without cleaning up) is passed over for the next one.
    bool CreateTempFile(const char* folder)
    {
        char why[kFileErrorSize] = "the temporary path is too long";
        for (int attempt = 0; attempt < 8; ++attempt) {
            char tempName[kTempNameSize];
            std::snprintf(tempName, sizeof tempName, ".zorvel-%d-%u.part", CurrentProcessId(), gTempCounter.fetch_add(1));
            if (!MakeFullPath(folder, tempName, tempPath, sizeof tempPath)) break;
            file = CreateNewFile(tempPath);
            if (IsOpen(file)) return true;
            LastFileError(why);
            if (!PathExists(tempPath)) break;
        }
        tempPath[0] = '\0';
        LogFormat("Can't save %s: %s", name, why);
        ReportTransfer(address, kDiskError, 0, why);
        return false;
    }

    int Publish()
    {
        char why[kFileErrorSize] = {};
        // The bytes are not forced to the disk first: that costs a journal commit per file,
        // which on a site of thousands of small files takes most of the crawl's time, and a
        // killed program loses nothing without it (the bytes are in the system's cache).
        bool ok = CloseFile(file);
        if (!ok) LastFileError(why);
        if (!ok || !PublishNoClobber(tempPath, path, why)) {
            LogFormat("Can't save %s: %s", name, why);
            ReportTransfer(address, kDiskError, 0, why);
            return Fail(kDownloadFailed);
        }
        job->nFiles.fetch_add(1);
        gCounters.nFilesDownloaded.fetch_add(1);
        ReportTransfer(address, kFileSaved, item->nSize.load(), name);
        item->nState.store(kDownloadComplete);
        return 1;
    }

    int ResumeDownload();
};

int Download::ResumeDownload()
{
    const int64_t size = item->nSize.load();
    const int64_t from = item->nTransferred.load();
    char head[kHeadBufferSize];
    char bodyStart[kReceiveChunk];
    int bodyStartCount = 0;
    if (!OpenExchange(address, size - from, head, bodyStart, &bodyStartCount, &connection)) return Fail(kDownloadFailed);
    if (StatusCode(head) != 206 || !IsMissingTail(head, from, size)) {
        ReportTransfer(address, kTransferBroken, StatusCode(head), "the server refused the resume");
        return Fail(kDownloadFailed);
    }

    item->nState.store(kDownloadTransferring);
    int64_t received = 0;
    bool reusable = false;
    Outcome outcome = Transfer(connection, KeepsConnections(address) && ResponseKeepsConnection(head), file, job, item,
                               bodyStart, bodyStartCount, &received, &reusable);
    EndExchange(address, head, connection, reusable);
    CountBytes(job, received);
    if (outcome == Outcome::Complete) return Publish();
    if (job->nStopMode.load() == 2) return Fail(kDownloadStopped);
    ReportTransfer(address, outcome == Outcome::Failed ? kTransferFailed : kTransferBroken);
    return Fail(kDownloadFailed);
}

}  // namespace

void SweepLeftoverParts(const char* folder, bool ownAreLeftovers)
{
    int removed = 0;
    for (const std::string& entry : FolderEntryNames(folder)) {
        int pid = 0;
        if (!TempNameProcess(entry.c_str(), &pid)) continue;
        if (pid == CurrentProcessId() ? !ownAreLeftovers : IsZorvelProcessRunning(pid)) continue;
        char path[kTempPathSize];
        if (MakeFullPath(folder, entry.c_str(), path, sizeof path) && DeletePath(path)) ++removed;
    }
    if (removed > 0) LogFormat("Removed %d unfinished download(s) of an ended run from %s", removed, folder);
}

int DownloadFile(SCANJOB* job, const AddressRecord& address)
{
    Download d(job, address);
    MakeFileName(address.host, address.path, d.name);
    // One reading of the folder for the whole download: the final and the temporary file lie together.
    char folder[kFolderSize];
    GetDownloadFolder(folder);
    if (!MakeFullPath(folder, d.name, d.path)) {
        LogFormat("Can't save %s: its path would pass 255 characters", d.name);
        ReportTransfer(address, kDiskError, 0, "its path would pass 255 characters");
        return 0;
    }
    if (PathExists(d.path)) return 0;
    uint32_t folderHash = FolderHash(folder);
    if (job->dwSweptFolder.exchange(folderHash) != folderHash) SweepLeftoverParts(folder, false);
    d.slot = ReserveName(d.name);
    if (d.slot < 0 || !d.CreateTempFile(folder)) return 0;

    // The address as the downloads list shows it, cut to 149 characters.
    char display[kFileNameSize];
    if (std::snprintf(display, sizeof display, "%s://%s%s", IsHttps(address) ? "https" : "http", address.host,
                      address.path) < 0)
        display[0] = '\0';

    char head[kHeadBufferSize];
    char bodyStart[kReceiveChunk];
    int bodyStartCount = 0;
    if (!OpenExchange(address, 0, head, bodyStart, &bodyStartCount, &d.connection) || !HasStatus(address, head, 200))
        return d.Fail(kDownloadFailed);

    char lengthText[20];
    int64_t size = 0;
    if (!FindHeader(head, "Content-Length", lengthText, sizeof lengthText) || !ParseContentLength(lengthText, &size)) {
        ReportTransfer(address, kNoLength);
        return d.Fail(kDownloadFailed);
    }
    if (size < static_cast<int64_t>(gSettings.nDownSizeLimit) * 1024) {
        ReportTransfer(address, kBelowMinimumSize, size);
        return d.Fail(kDownloadFailed);
    }

    d.item = AddDownloadItem(display);
    if (d.item == nullptr) return d.Fail(kDownloadFailed);
    d.item->nSize.store(size);

    int64_t received = 0;
    bool reusable = false;
    Outcome outcome = Transfer(d.connection, KeepsConnections(address) && ResponseKeepsConnection(head), d.file, job,
                               d.item, bodyStart, bodyStartCount, &received, &reusable);
    EndExchange(address, head, d.connection, reusable);
    CountBytes(job, received);
    switch (outcome) {
    case Outcome::Complete: return d.Publish();
    case Outcome::Stopped: return d.Fail(kDownloadStopped);
    case Outcome::Failed: ReportTransfer(address, kTransferFailed); return d.Fail(kDownloadFailed);
    case Outcome::Short: break;
    }
    d.item->nState.store(kDownloadRetrying);
    return d.ResumeDownload();
}
