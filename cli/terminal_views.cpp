#include "cli/terminal_views.h"

#include "engine/log_entry.h"
#include "engine/views.h"
#include "platform/clock.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex gOutputLock;

void PrintLog(const char* message)
{
    char entry[kLogEntrySize];
    FormatLogEntry(message, ClockNow(), entry);
    std::lock_guard<std::mutex> lock(gOutputLock);
    // The entry begins with its CR LF line break; a terminal wants the line, then a newline.
    std::printf("%s\n", entry + 2);
    std::fflush(stdout);
}

VIEWS gTerminalViews = {};

}  // namespace

void InstallTerminalViews()
{
    gTerminalViews.appendLog = PrintLog;
    InstallViews(&gTerminalViews);
}
