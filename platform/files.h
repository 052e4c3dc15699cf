// Files and folders as the core needs them, with one Win32 and one POSIX side.
// No platform header is included here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
inline constexpr const char* kTextLineEnd = "\r\n";
inline constexpr bool kFileNamesIgnoreCase = true;
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kTextLineEnd = "\n";
inline constexpr bool kFileNamesIgnoreCase = false;
#endif

// A short reason why a file operation failed, for a log line.
inline constexpr size_t kFileErrorSize = 100;

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

// The system's text for the error of the last failed call of this thread (CreateNewFile...).
void LastFileError(char (&why)[kFileErrorSize]);

// Gives the complete file `from` the name `to` only if no file of that name exists, on any
// file system that can hold the download folder. On success `from` is gone; on failure
// `from` stays, no file of another program is touched, and `why` says what went wrong.
// POSIX tries in turn: an atomic rename that refuses to replace (renameat2 with
// RENAME_NOREPLACE); a hard link, then removing `from`; and where neither exists (old
// kernels, some FUSE and network mounts) it claims `to` with an exclusive create and renames
// `from` over that empty claim, which is its own. Only a crash between those two calls can
// then leave an empty file under `to`.
bool PublishNoClobber(const char* from, const char* to, char (&why)[kFileErrorSize]);

#if !defined(_WIN32)
// The calls a POSIX publish may try, each returning 0 or -1 with errno set. Tests replace
// them to play a file system that lacks one, or whose removal fails.
struct PUBLISHCALLS {
    int (*renameNoReplace)(const char* from, const char* to);
    int (*link)(const char* from, const char* to);
    int (*unlink)(const char* path);
};
// nullptr puts the real calls back.
void SetPublishCallsForTest(const PUBLISHCALLS* calls);
#endif

// The names of the entries of `folder` ("." and ".." left out); empty when it cannot be read.
std::vector<std::string> FolderEntryNames(const char* folder);

// Renames `from` to `to`, replacing a file of that name in one step.
bool RenameReplacing(const char* from, const char* to);

int CurrentProcessId();

// False only when no process `pid` runs, or the one that does is no Zorvel program (its
// name does not start with "zorvel" in any case), so a file named after it is a leftover.
// When the answer cannot be known the process counts as running.
bool IsZorvelProcessRunning(int pid);

// The temporary name that ReplaceFileContents uses for `path`: the path, the process id, ".tmp".
bool TempPathFor(const char* path, char* out, size_t size);

// Replaces (or creates) the file `path` with `data` in one step: the bytes go to a temporary
// file in the same folder, which then takes the name over. A failure at any point leaves the
// old file whole and no temporary behind.
bool ReplaceFileContents(const char* path, const void* data, size_t size);
