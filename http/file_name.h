// Local names of downloaded files.
#pragma once

#include <cstddef>

inline constexpr int kFileNameSize = 150;   // at most 149 characters
inline constexpr int kFullPathSize = 256;   // at most 255 characters

// The host followed by the path with every "/" turned into "+", at most 149 characters.
// Every character that separates paths or is invalid in a Windows file name becomes "_", and
// a name Windows would alter or reserve is changed: a device name before the first dot (CON,
// NUL, COM1, CONIN$... in any case, trailing blanks ignored) gets a leading "_", and then a
// trailing dot or blank becomes "_". So no link can write outside the download folder, into
// an alternate stream or onto a device.
void MakeFileName(const char* host, const char* path, char (&name)[kFileNameSize]);

// True when the two names open the same file on this platform: without regard to letter
// case on Windows, byte for byte elsewhere.
bool SameFileName(const char* a, const char* b);

// folder, separator, name into `path` of `size` bytes; false when the whole does not fit.
bool MakeFullPath(const char* folder, const char* name, char* path, size_t size);

// The same for a final path: false when the whole would pass 255 characters.
inline bool MakeFullPath(const char* folder, const char* name, char (&path)[kFullPathSize])
{
    return MakeFullPath(folder, name, path, sizeof path);
}
