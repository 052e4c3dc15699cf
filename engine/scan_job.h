// The scan job record: one start address that the engine crawls.
#pragma once

#include <atomic>
#include <cstdint>

struct HTABLE;
struct LINKNODE;

enum JobState : int32_t {
    kJobQueued = 0,
    kJobProcessing = 1,
    kJobComplete = 2,
    kJobStopped = 3,
    kJobStopping = 4,
};

enum StopMode : int32_t {
    kStopNone = 0,
    kStopGraceful = 1,
    kStopImmediate = 2,
};

inline constexpr int kAddressSize = 256;  // addresses hold at most 255 characters
inline constexpr int kLinkLevels = 4;     // depths 0 to 3

// Heap-allocated, zero-filled on creation, owned by the job table. Fields that several
// threads touch are atomic; nFound, nLeft and the queue nodes change only under the engine lock.
struct SCANJOB {
    uint32_t dwHash;  // URL hash of szAddress without its "http://"; a quick filter of the duplicate test
    char szAddress[kAddressSize];
    std::atomic<int32_t> nState;  // JobState
    int32_t nFormat;              // 0 Image, 1 Audio, 2 Video, 3 Document, 4 Any
    int32_t nDepth;               // 0 to 3
    std::atomic<int32_t> nFound;  // page links put on the shared queue since added or rescanned
    std::atomic<int32_t> nLeft;   // links waiting on the shared queue
    std::atomic<int32_t> nFiles;  // files downloaded in full
    std::atomic<int64_t> nSize;   // bytes received by the job's downloads, complete or not
    std::atomic<int32_t> nActive; // the crawl thread plus each worker busy with one of its links
    LINKNODE* pHead[kLinkLevels];
    LINKNODE* pTail[kLinkLevels];
    // Files found and waiting for a pool worker to download them; changed under the engine
    // lock. A job with queued downloads still has work.
    LINKNODE* pDownHead;
    LINKNODE* pDownTail;
    std::atomic<int32_t> nDownQueued;
    // Relative page links found on the job's pages, first in first out, taken by the job's
    // crawl thread and by pool workers; changed under the engine lock and not counted in nFound
    // or nLeft. nScanning counts, by level, the job's
    // relative pages (and its start page) being fetched or scanned now: a relative page is
    // taken only when none of a smaller level is still being read, so each page gets the
    // level that a crawl by one thread would give it.
    LINKNODE* pRelHead;
    LINKNODE* pRelTail;
    std::atomic<int32_t> nRelQueued;
    int32_t nScanning[kLinkLevels];
    std::atomic<HTABLE*> pVisited;  // only while Processing or Stopping
    std::atomic<int32_t> nStopMode; // StopMode; transfers end their receive loops when it reads 2
    std::atomic<int32_t> bStartFailed;    // 1 when the crawl could not fetch the start page
    std::atomic<uint32_t> dwSweptFolder;  // hash of the download folder last cleared of leftovers for it; 0 none
};
