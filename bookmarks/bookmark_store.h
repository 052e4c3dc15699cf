// Bookmarks: snapshots of finished scan jobs, kept in Bookmark.dat as fixed 284-byte records.
#pragma once

#include <cstdint>
#include <vector>

struct SCANJOB;

inline constexpr const char* kBookmarkFileName = "Bookmark.dat";
inline constexpr int kMaxBookmarksLoaded = 1000;

// The in-memory record and the record on disk are the same 284 bytes, integers little-endian.
struct BOOKMARK {
    char szAddress[256];
    int32_t nState;
    int32_t nFormat;
    int32_t nDepth;
    int32_t nFound;
    int32_t nFiles;
    int32_t nSize;   // bytes; a job's larger size is stored as the largest that fits
    int32_t tDate;   // seconds since 1970 UTC
};
static_assert(sizeof(BOOKMARK) == 284, "a bookmark is a 284-byte record");

// A bookmark of the job as it is now, dated `now`.
BOOKMARK MakeBookmark(const SCANJOB& job, int64_t now);

// Reads at most 1000 records; a short tail is ignored. Every address ends at its 256th byte
// at the latest. An empty list when the file cannot be read.
std::vector<BOOKMARK> LoadBookmarks(const char* path = kBookmarkFileName);

// Writes the records in order, replacing the file in one step; a failure keeps the old file.
bool SaveBookmarks(const std::vector<BOOKMARK>& bookmarks, const char* path = kBookmarkFileName);

// The date cell: "%02d/%02d/%02d %02d:%02d:%02d" of local time: month, day, year mod 100, hour, minute, second.
void FormatBookmarkDate(int32_t seconds, char (&out)[32]);
