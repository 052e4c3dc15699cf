#include "engine/log_entry.h"

#include "engine/views.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

void AppendLog(const char* message)
{
    Views().appendLog(message);
}

void LogFormat(const char* format, ...)
{
    char message[kLogMessageSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    AppendLog(message);
}

int FormatLogEntry(const char* message, int64_t when, char (&entry)[kLogEntrySize])
{
    std::time_t seconds = static_cast<std::time_t>(when);
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    int length = std::snprintf(entry, sizeof entry, "\r\n%02d/%02d/%02d %02d:%02d:%02d : %s", local.tm_mon + 1,
                               local.tm_mday, local.tm_year % 100, local.tm_hour, local.tm_min, local.tm_sec, message);
    if (length < 0) {
        entry[0] = '\0';
        return 0;
    }
    return length < static_cast<int>(sizeof entry) ? length : static_cast<int>(sizeof entry) - 1;
}
