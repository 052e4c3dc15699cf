#include "bookmarks/bookmark_store.h"

#include "engine/scan_job.h"
#include "platform/files.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>

namespace {

// The file's integers are little-endian whatever the machine.
void PutInt(unsigned char* at, int32_t value)
{
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (8 * i));
}

int32_t GetInt(const unsigned char* at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(at[i]) << (8 * i);
    return static_cast<int32_t>(v);
}

void Encode(const BOOKMARK& b, unsigned char (&record)[284])
{
    std::memcpy(record, b.szAddress, 256);
    const int32_t fields[7] = {b.nState, b.nFormat, b.nDepth, b.nFound, b.nFiles, b.nSize, b.tDate};
    for (int i = 0; i < 7; ++i) PutInt(record + 256 + 4 * i, fields[i]);
}

BOOKMARK Decode(const unsigned char (&record)[284])
{
    BOOKMARK b;
    std::memcpy(b.szAddress, record, 256);
    b.szAddress[255] = '\0';  // a damaged record may lack its terminator
    int32_t* fields[7] = {&b.nState, &b.nFormat, &b.nDepth, &b.nFound, &b.nFiles, &b.nSize, &b.tDate};
    for (int i = 0; i < 7; ++i) *fields[i] = GetInt(record + 256 + 4 * i);
    return b;
}

}  // namespace

BOOKMARK MakeBookmark(const SCANJOB& job, int64_t now)
{
    BOOKMARK b{};
    std::memcpy(b.szAddress, job.szAddress, sizeof b.szAddress - 1);  // the job's text is zero-padded
    b.nState = job.nState.load();
    b.nFormat = job.nFormat;
    b.nDepth = job.nDepth;
    b.nFound = job.nFound.load();
    b.nFiles = job.nFiles.load();
    int64_t size = job.nSize.load();
    b.nSize = size > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                         : static_cast<int32_t>(size);
    b.tDate = static_cast<int32_t>(now);
    return b;
}

std::vector<BOOKMARK> LoadBookmarks(const char* path)
{
    std::vector<BOOKMARK> bookmarks;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return bookmarks;
    unsigned char record[284];
    while (bookmarks.size() < kMaxBookmarksLoaded && std::fread(record, 1, sizeof record, file) == sizeof record)
        bookmarks.push_back(Decode(record));
    std::fclose(file);
    return bookmarks;
}

bool SaveBookmarks(const std::vector<BOOKMARK>& bookmarks, const char* path)
{
    std::vector<unsigned char> bytes(bookmarks.size() * 284);
    for (size_t i = 0; i < bookmarks.size(); ++i) {
        unsigned char record[284];
        Encode(bookmarks[i], record);
        std::memcpy(bytes.data() + i * 284, record, sizeof record);
    }
    return ReplaceFileContents(path, bytes.data(), bytes.size());
}

void FormatBookmarkDate(int32_t seconds, char (&out)[32])
{
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
#if defined(_WIN32)
    if (localtime_s(&local, &t) != 0) {
#else
    if (localtime_r(&t, &local) == nullptr) {
#endif
        out[0] = '\0';
        return;
    }
    std::snprintf(out, sizeof out, "%02d/%02d/%02d %02d:%02d:%02d", local.tm_mon + 1, local.tm_mday,
                  local.tm_year % 100, local.tm_hour, local.tm_min, local.tm_sec);
}
