// Local names of downloaded files.
#pragma once

inline constexpr int kFileNameSize = 150;   // at most 149 characters
inline constexpr int kFullPathSize = 256;   // at most 255 characters

// The host followed by the path with every "/" turned into "+", at most 149 characters.
// Every character that separates paths or is invalid in a Windows file name becomes "_", and
// a name Windows would alter or reserve (a trailing dot or blank, a device name such as CON
// or NUL before its first dot) is changed, so no link can write outside the download folder,
// into an alternate stream or onto a device.
void MakeFileName(const char* host, const char* path, char (&name)[kFileNameSize]);

// folder, separator, name. False when the whole would pass 255 characters.
bool MakeFullPath(const char* folder, const char* name, char (&path)[kFullPathSize]);
