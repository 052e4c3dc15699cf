#include "cli/terminal_views.h"

#include "engine/log_entry.h"
#include "engine/rate.h"
#include "engine/size_text.h"
#include "engine/views.h"
#include "platform/clock.h"
#include "search/search.h"

#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

std::mutex gOutputLock;
bool gLive = false;
bool gStatusShown = false;

// What the window's status bar would show.
char gState[32] = "Ready";
int64_t gBusy = 0;
int64_t gFiles = 0;
int64_t gTotal = 0;
char gRate[48] = "";
RATESAMPLE gSample;

void ClearStatus()
{
    if (gStatusShown) std::fputs("\r\033[K", stdout);
    gStatusShown = false;
}

void DrawStatus()
{
    if (!gLive) return;
    char total[kSizeTextSize];
    std::printf("\r\033[K%s | %lld Thrds | %lld files | %s%s%s", gState, static_cast<long long>(gBusy),
                static_cast<long long>(gFiles), SizeText(gTotal, total), gRate[0] ? " | " : "", gRate);
    std::fflush(stdout);
    gStatusShown = true;
}

void PrintLog(const char* message)
{
    char entry[kLogEntrySize];
    FormatLogEntry(message, ClockNow(), entry);
    std::lock_guard<std::mutex> lock(gOutputLock);
    ClearStatus();
    // The entry begins with its CR LF line break; a terminal wants the line, then a newline.
    std::printf("%s\n", entry + 2);
    DrawStatus();
    std::fflush(stdout);
}

void SetStatusPart(int kind, const char* text, int64_t number)
{
    std::lock_guard<std::mutex> lock(gOutputLock);
    switch (kind) {
    case 0: std::snprintf(gState, sizeof gState, "%s", text); break;
    case 1: gBusy = number; break;
    case 2: gFiles = number; break;
    case 3: {
        gTotal = number;
        int64_t rate = 0;
        if (UpdateRate(gSample, ClockNow(), number, &rate)) {
            char size[kSizeTextSize];
            std::snprintf(gRate, sizeof gRate, "%s/sec", SizeText(rate, size));
        }
        break;
    }
    default: break;
    }
}

// The title follows every status update of the scheduler: the moment to redraw.
void SetTitle(const char*)
{
    std::lock_guard<std::mutex> lock(gOutputLock);
    DrawStatus();
}

void PrintFatal(const char* message)
{
    std::lock_guard<std::mutex> lock(gOutputLock);
    ClearStatus();
    std::fprintf(stderr, "Error: %s\n", message);
}

std::vector<SEARCHRESULT> gResults;

void KeepResult(SEARCHRESULT* result)
{
    std::lock_guard<std::mutex> lock(gOutputLock);
    gResults.push_back(*result);
    delete result;
}

void ShowMessage(const char* text, const char* caption)
{
    std::lock_guard<std::mutex> lock(gOutputLock);
    ClearStatus();
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

VIEWS gTerminalViews = {};

}  // namespace

void InstallTerminalViews(bool liveStatus)
{
    gLive = liveStatus;
    gTerminalViews.appendLog = PrintLog;
    gTerminalViews.setStatusPart = SetStatusPart;
    gTerminalViews.setTitle = SetTitle;
    gTerminalViews.fatalError = PrintFatal;
    gTerminalViews.searchResultAdded = KeepResult;
    gTerminalViews.showMessage = ShowMessage;
    InstallViews(&gTerminalViews);
}

std::vector<SEARCHRESULT> TakeSearchResults()
{
    std::lock_guard<std::mutex> lock(gOutputLock);
    std::vector<SEARCHRESULT> taken;
    taken.swap(gResults);
    return taken;
}

void EndLiveStatus()
{
    std::lock_guard<std::mutex> lock(gOutputLock);
    ClearStatus();
    gLive = false;
    std::fflush(stdout);
}
