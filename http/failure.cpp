#include "http/failure.h"

#include "http/response_head.h"
#include "platform/net.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kDetailSize = 200;

struct HELDFAILURE {
    bool holding;
    bool held;
    int outcome;
    int64_t number;
    char detail[kDetailSize];
};
thread_local HELDFAILURE tHeld;

}  // namespace

void ReportTransfer(const AddressRecord& address, int outcome, int64_t number, const char* detail)
{
    if (tHeld.holding && outcome >= kNameNotResolved) {
        tHeld.held = true;
        tHeld.outcome = outcome;
        tHeld.number = number;
        std::snprintf(tHeld.detail, sizeof tHeld.detail, "%s", detail);
        return;
    }
    char shown[kLinkTextSize];
    if (!FormatAddress(address, shown, sizeof shown)) shown[0] = '\0';
    Views().transferEnded(shown, outcome, number, detail);
}

void ReportConnectFailure(const AddressRecord& address)
{
    int code = 0;
    switch (LastConnectFailure(&code)) {
    case kConnectNameNotResolved: ReportTransfer(address, kNameNotResolved, code); break;
    case kConnectRefused: ReportTransfer(address, kConnectionRefused, code); break;
    case kConnectTimedOut: ReportTransfer(address, kConnectionTimedOut, code); break;
    case kConnectUnreachable: ReportTransfer(address, kNetworkUnreachable, code); break;
    default: ReportTransfer(address, kConnectionFailed, code); break;
    }
}

void ReportStatus(const AddressRecord& address, const char* head)
{
    // The status line's code and reason: "HTTP/1.1 404 Not Found" gives "404 Not Found".
    char line[kDetailSize];
    const char* text = std::strchr(head, ' ');
    text = text ? text + 1 : head;
    size_t length = std::strcspn(text, "\r\n");
    if (length >= sizeof line) length = sizeof line - 1;
    std::memcpy(line, text, length);
    line[length] = '\0';
    ReportTransfer(address, kHttpStatus, StatusCode(head), line);
}

bool HasStatus(const AddressRecord& address, const char* head, int wanted)
{
    if (StatusCode(head) == wanted) return true;
    ReportStatus(address, head);
    return false;
}

int ReportPage(const AddressRecord& address, int stored, const std::atomic<int32_t>& stopMode)
{
    if (stored > 0)
        ReportTransfer(address, kPageFetched, stored);
    else if (stopMode.load(std::memory_order_relaxed) != 2)
        ReportTransfer(address, kEmptyPage);
    return stored;
}

void HoldFailures()
{
    tHeld = HELDFAILURE{};
    tHeld.holding = true;
}

void ReportHeldFailure(const char* jobAddress, bool failed)
{
    HELDFAILURE held = tHeld;
    tHeld = HELDFAILURE{};
    if (!failed) return;
    if (!held.held) held.outcome = kEmptyPage;
    Views().transferEnded(jobAddress, held.outcome | kStartPageFailed, held.number, held.detail);
}
