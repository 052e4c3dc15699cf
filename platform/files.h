// Files and folders as the core needs them, with one Win32 and one POSIX side.
// No platform header is included here.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
inline constexpr const char* kTextLineEnd = "\r\n";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kTextLineEnd = "\n";
#endif

// True when a file or a folder of that path exists.
bool PathExists(const char* path);

// The process's current directory into out; false when it does not fit or cannot be read.
bool GetCurrentDir(char* out, size_t size);
bool SetCurrentDir(const char* path);

// Bytes the calling user may still write on the volume that holds path; -1 when unknown.
int64_t FreeBytesAvailable(const char* path);

// An open file for writing. Invalid when `handle` is -1.
struct PlatformFile {
    intptr_t handle = -1;
};
inline bool IsOpen(const PlatformFile& file) { return file.handle != -1; }

// Creates a new file for writing; fails (returns an invalid file) when the path already exists.
PlatformFile CreateNewFile(const char* path);
bool WriteAll(PlatformFile file, const void* data, size_t size);
// Flushes the data to the disk; used before a file is published or replaces another.
bool FlushFile(PlatformFile file);
bool CloseFile(PlatformFile& file);
bool DeletePath(const char* path);

// Gives the complete file `from` the name `to` only if no file of that name exists.
// On success `from` is gone; on failure both stay as they were.
bool PublishNoClobber(const char* from, const char* to);

// Renames `from` to `to`, replacing a file of that name in one step.
bool RenameReplacing(const char* from, const char* to);

int CurrentProcessId();

// The temporary name that ReplaceFileContents uses for `path`: the path, the process id, ".tmp".
bool TempPathFor(const char* path, char* out, size_t size);

// Replaces (or creates) the file `path` with `data` in one step: the bytes go to a temporary
// file in the same folder, which then takes the name over. A failure at any point leaves the
// old file whole and no temporary behind.
bool ReplaceFileContents(const char* path, const void* data, size_t size);
