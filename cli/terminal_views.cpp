#include "cli/terminal_views.h"

#include "engine/log_entry.h"
#include "engine/rate.h"
#include "engine/size_text.h"
#include "engine/views.h"
#include "platform/clock.h"
#include "search/search.h"
#include "settings/settings.h"

#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

std::mutex gOutputLock;
bool gLive = false;
bool gStatusShown = false;
int gVerbosity = 0;

// What the window's status bar would show.
char gState[32] = "Ready";
int64_t gBusy = 0;
int64_t gFiles = 0;
int64_t gTotal = 0;
char gRate[48] = "";
RATESAMPLE gSample;

// Before any other line: the status line is erased and the erasure reaches the terminal
// before a line on standard error does.
void ClearStatus()
{
    if (gStatusShown) {
        std::fputs("\r\033[K", stdout);
        std::fflush(stdout);
    }
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
    if (gVerbosity < 0) return;
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
    std::fflush(stderr);
    DrawStatus();
}

// A failure in words, for the line on standard error.
void FailureWords(int outcome, int64_t number, const char* detail, char* words, size_t size)
{
    char kb[kSizeTextSize];
    switch (outcome) {
    case kNameNotResolved: std::snprintf(words, size, "name not resolved"); break;
    case kConnectionRefused: std::snprintf(words, size, "connection refused"); break;
    case kConnectionTimedOut: std::snprintf(words, size, "connection timed out"); break;
    case kNetworkUnreachable: std::snprintf(words, size, "host or network unreachable"); break;
    case kConnectionFailed: std::snprintf(words, size, "cannot connect (system error %lld)", static_cast<long long>(number)); break;
    case kCertificateUntrusted: std::snprintf(words, size, "certificate not trusted"); break;
    case kCertificateNameMismatch: std::snprintf(words, size, "certificate name mismatch"); break;
    case kTlsHandshakeFailed: std::snprintf(words, size, "TLS handshake failed"); break;
    case kNoResponse: std::snprintf(words, size, "no response from the server"); break;
    case kHttpStatus: std::snprintf(words, size, "%s", detail); break;
    case kRedirectRefused: std::snprintf(words, size, "redirect refused: %s (%lld)", detail, static_cast<long long>(number)); break;
    case kEmptyPage: std::snprintf(words, size, "empty page"); break;
    case kRequestRefused: std::snprintf(words, size, "address cannot be requested"); break;
    case kBelowMinimumSize:
        std::snprintf(words, size, "not saved: %lld bytes, below the minimum size of %s", static_cast<long long>(number),
                      SizeText(static_cast<int64_t>(gSettings.nDownSizeLimit) * 1024, kb));
        break;
    case kNoLength: std::snprintf(words, size, "not saved: the server announced no length"); break;
    case kDiskError: std::snprintf(words, size, "not saved: %s", detail); break;
    case kTransferFailed: std::snprintf(words, size, "not saved: more bytes than announced, or a write failed"); break;
    case kTransferBroken: std::snprintf(words, size, "not saved: the transfer broke off and could not be resumed"); break;
    default: std::snprintf(words, size, "failed"); break;
    }
}

void TransferEnded(const char* address, int outcome, int64_t number, const char* detail)
{
    if (outcome == kPageFetched || outcome == kFileSaved) {
        if (gVerbosity <= 0) return;
        char size[kSizeTextSize];
        char message[kLogMessageSize];
        if (outcome == kPageFetched)
            std::snprintf(message, sizeof message, "Fetched %s (%s)", address, SizeText(number, size));
        else
            std::snprintf(message, sizeof message, "Saved %s as %s (%s)", address, detail, SizeText(number, size));
        PrintLog(message);
        return;
    }
    char words[300];
    FailureWords(outcome & ~kStartPageFailed, number, detail, words, sizeof words);
    std::lock_guard<std::mutex> lock(gOutputLock);
    ClearStatus();
    std::fprintf(stderr, "zorvel-cli: %s: %s%s\n", address, outcome & kStartPageFailed ? "start page not fetched: " : "",
                 words);
    std::fflush(stderr);
    DrawStatus();
}

VIEWS gTerminalViews = {};

}  // namespace

void InstallTerminalViews(bool liveStatus, int verbosity)
{
    gVerbosity = verbosity;
    gLive = liveStatus && verbosity >= 0;
    gTerminalViews.transferEnded = TransferEnded;
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
