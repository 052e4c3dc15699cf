#include "settings/settings.h"

#include "platform/files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

SETTINGS gSettings;

namespace {
std::mutex gFolderLock;
}

void GetDownloadFolder(char (&out)[kFolderSize])
{
    std::lock_guard<std::mutex> lock(gFolderLock);
    std::memcpy(out, gSettings.szDownloadFolder, kFolderSize);
    out[kFolderSize - 1] = '\0';
}

void SetDownloadFolder(const char* folder)
{
    std::lock_guard<std::mutex> lock(gFolderLock);
    std::snprintf(gSettings.szDownloadFolder, sizeof gSettings.szDownloadFolder, "%s", folder);
}

namespace {

enum Key { kDownloadFolder, kCheckImgSrc, kDownSizeLimit, kThreads, kUrlLinks, kLimitOprationTime,
           kLimitTotalDownSize, kLimitFreeDiskSpace, kKeepAlive, kKeyCount };

// Keys are matched letter for letter, in this order. Each value text must be shorter than
// its limit; bCheckIMGSRC must be exactly one character.
struct KeyRule {
    const char* name;
    size_t maxLength;
};
const KeyRule kKeys[kKeyCount] = {
    {"szDownloadFolder", 254}, {"bCheckIMGSRC", 1},     {"nDownSizeLimit", 5},     {"nThreads", 3},
    {"nUrlLinks", 5},          {"nLimitOprationTime", 4}, {"nLimitTotalDownSize", 5}, {"nLimitFreeDiskSpace", 5},
    {"bKeepAlive", 1},
};

const char kDelimiters[] = "=\t\n";

// The next token as strtok gives it: leading delimiters skipped, the token ended at the next
// delimiter (which is overwritten). Returns nullptr when only delimiters are left.
char* NextToken(char*& cursor)
{
    cursor += std::strspn(cursor, kDelimiters);
    if (*cursor == '\0') return nullptr;
    char* token = cursor;
    cursor += std::strcspn(cursor, kDelimiters);
    if (*cursor != '\0') *cursor++ = '\0';
    return token;
}

void ApplyLine(char* line, SETTINGS* settings)
{
    char* cursor = line;
    char* key = NextToken(cursor);
    if (key == nullptr) return;
    int which = 0;
    while (which < kKeyCount && std::strcmp(key, kKeys[which].name) != 0) ++which;
    if (which == kKeyCount) return;
    char* value = NextToken(cursor);
    if (value == nullptr) return;

    size_t length = std::strlen(value);
    if (which == kCheckImgSrc) {
        if (length == 1) settings->bCheckIMGSRC = static_cast<uint8_t>(std::atoi(value));
        return;
    }
    if (which == kKeepAlive) {
        if (length == 1) settings->bKeepAlive = static_cast<uint8_t>(std::atoi(value) != 0);
        return;
    }
    if (length > kKeys[which].maxLength) return;
    switch (which) {
    case kDownloadFolder:
        if (PathExists(value)) std::memcpy(settings->szDownloadFolder, value, length + 1);
        break;
    case kDownSizeLimit: settings->nDownSizeLimit = std::atoi(value); break;
    case kThreads: settings->nThreads = std::atoi(value); break;
    case kUrlLinks: settings->nUrlLinks = std::atoi(value); break;
    case kLimitOprationTime: settings->nLimitOprationTime = std::atoi(value); break;
    case kLimitTotalDownSize: settings->nLimitTotalDownSize = std::atoi(value); break;
    case kLimitFreeDiskSpace: settings->nLimitFreeDiskSpace = std::atoi(value); break;
    }
}

}  // namespace

void SetDefaultSettings(SETTINGS* settings)
{
    std::memset(settings, 0, sizeof *settings);
#if defined(_WIN32)
    std::strcpy(settings->szDownloadFolder, "C:\\");
#else
    // A drive path means nothing here; the current directory is the natural place.
    if (!GetCurrentDir(settings->szDownloadFolder, sizeof settings->szDownloadFolder))
        std::strcpy(settings->szDownloadFolder, ".");
#endif
    settings->bCheckIMGSRC = 0;
    settings->nDownSizeLimit = 0;
    settings->nThreads = 50;
    settings->nUrlLinks = 5000;
    settings->nLimitOprationTime = 60;
    settings->nLimitTotalDownSize = 1000;
    settings->nLimitFreeDiskSpace = 100;
}

int LoadSettings(const char* path)
{
    SetDefaultSettings(&gSettings);
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) return 1;

    // A line longer than 499 characters arrives in pieces, each taken as a line of its own.
    char line[500];
    while (std::fgets(line, sizeof line, file) != nullptr) {
#if !defined(_WIN32)
        // A file written on Windows ends its lines in CR LF; the CR is line end, not value.
        size_t length = std::strlen(line);
        if (length >= 2 && line[length - 2] == '\r' && line[length - 1] == '\n') {
            line[length - 2] = '\n';
            line[length - 1] = '\0';
        }
#endif
        ApplyLine(line, &gSettings);
    }
    std::fclose(file);
    return 1;
}

int FormatSettingsFile(const SETTINGS& s, char* out, int size)
{
    const char* e = kTextLineEnd;
    int length = std::snprintf(out, static_cast<size_t>(size),
                               "[GENERAL_OPTION]%s"
                               "szDownloadFolder=%.255s%s"
                               "bCheckIMGSRC=%d%s"
                               "[ADVANCED_OPTION]%s"
                               "nDownSizeLimit=%d%s"
                               "nThreads=%d%s"
                               "nUrlLinks=%d%s"
                               "nLimitOprationTime=%d%s"
                               "nLimitTotalDownSize=%d%s"
                               "nLimitFreeDiskSpace=%d%s",
                               e, s.szDownloadFolder, e, static_cast<int>(s.bCheckIMGSRC), e, e, s.nDownSizeLimit, e,
                               s.nThreads, e, s.nUrlLinks, e, s.nLimitOprationTime, e, s.nLimitTotalDownSize, e,
                               s.nLimitFreeDiskSpace, e);
    if (length < 0 || length >= size) return 0;
    // Beyond the ten lines only what differs from its default, so a default file stays as it is.
    if (s.bKeepAlive != 0) {
        int more = std::snprintf(out + length, static_cast<size_t>(size - length), "bKeepAlive=1%s", e);
        if (more < 0 || more >= size - length) return 0;
        length += more;
    }
    return length;
}

int SaveSettings(const char* path)
{
    char text[1024];
    int length = FormatSettingsFile(gSettings, text, sizeof text);
    if (length == 0) return 0;
    return ReplaceFileContents(path, text, static_cast<size_t>(length)) ? 1 : 0;
}
