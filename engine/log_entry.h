// Activity-log messages and entries.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr size_t kLogMessageSize = 256;  // a message is formatted into at most 255 characters
inline constexpr size_t kLogEntrySize = 200;    // a whole entry is at most 199 characters

// Reports one message to the activity log of the current view; callable from any thread.
void AppendLog(const char* message);
// Formats a message into at most 255 characters, then reports it.
void LogFormat(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

// The entry "\r\n<time stamp> : <message>" for local time `when`, cut to 199 characters.
// The time stamp reads month/day/two-digit year, then 24-hour time. Returns the length.
int FormatLogEntry(const char* message, int64_t when, char (&entry)[kLogEntrySize]);
