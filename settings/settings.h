// The eight user settings: one process-wide record, its defaults and the file Zorvel.ini.
#pragma once

#include <cstdint>

inline constexpr int kFolderSize = 256;  // at most 255 characters
inline constexpr const char* kSettingsFileName = "Zorvel.ini";

// Read by the engine threads without a lock; each number is one aligned 32-bit word.
struct SETTINGS {
    uint8_t bCheckIMGSRC;
    char szDownloadFolder[kFolderSize];
    int32_t nDownSizeLimit;       // KB; smaller files are not saved
    int32_t nUrlLinks;            // bound of a job's nFound
    int32_t nThreads;             // pool workers started at start-up
    int32_t nLimitOprationTime;   // minutes
    int32_t nLimitTotalDownSize;  // MB
    int32_t nLimitFreeDiskSpace;  // MB
    uint8_t bKeepAlive;           // 1: plain http requests reuse connections too (https always does)
};

extern SETTINGS gSettings;

// The download folder is a text that the options dialog may rewrite while downloads read it;
// these take a lock so that a reader never sees half of an old and half of a new path. The
// user-interface thread, the only writer, may read the field directly.
void GetDownloadFolder(char (&out)[kFolderSize]);
void SetDownloadFolder(const char* folder);

void SetDefaultSettings(SETTINGS* settings);

// Sets the defaults, then takes every valid line of the file. Always returns 1.
int LoadSettings(const char* path = kSettingsFileName);

// Rewrites the file whole from gSettings, replacing the old one in one step. Returns 1 on
// success, 0 when it cannot be written (the old file is then left as it was).
int SaveSettings(const char* path = kSettingsFileName);

// The ten lines that SaveSettings writes, with the platform's line end, and "bKeepAlive=1"
// after them when it is set. Returns the length.
int FormatSettingsFile(const SETTINGS& settings, char* out, int size);
