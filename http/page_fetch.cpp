#include "http/page_fetch.h"

#include "http/exchange.h"
#include "http/failure.h"
#include "platform/net.h"

#include <cstring>

namespace {

bool StartsWithNoCase(const char* text, const char* prefix)
{
    for (; *prefix != '\0'; ++text, ++prefix) {
        char c = *text >= 'A' && *text <= 'Z' ? static_cast<char>(*text - 'A' + 'a') : *text;
        if (c != *prefix) return false;
    }
    return true;
}

bool IsRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Reads a 200 body into the page buffer: the body-start bytes, then chunks while they fit.
int ReadBody(CONNECTION& connection, const std::atomic<int32_t>& stopMode, const char* bodyStart, int bodyStartCount,
             char* page)
{
    int stored = bodyStartCount;  // at most one receive chunk, far below the page size
    std::memcpy(page, bodyStart, static_cast<size_t>(stored));
    char chunk[kReceiveChunk];
    while (stopMode.load(std::memory_order_relaxed) != 2) {
        int received = ConnectionReceive(connection, chunk, sizeof chunk);
        if (received <= 0 || stored + received >= kPageBufferSize) break;
        std::memcpy(page + stored, chunk, static_cast<size_t>(received));
        stored += received;
    }
    page[stored] = '\0';
    return stored;
}

// Where a redirect leads: an absolute "http://" or "https://" address, or a reference
// resolved against the address that answered. Any other scheme gives false.
bool RedirectTarget(const char* location, const AddressRecord& from, AddressRecord* target)
{
    for (const char* scheme : {"http://", "https://"}) {
        if (!StartsWithNoCase(location, scheme)) continue;
        char text[kLinkTextSize];
        std::strncpy(text, location + std::strlen(scheme), sizeof text - 1);
        text[sizeof text - 1] = '\0';
        ParseAddress(text, target, scheme[4] == 's');
        return true;
    }
    for (const char* c = location; *c != '\0' && *c != '/' && *c != '?' && *c != '#'; ++c)
        if (*c == ':') return false;  // "https:", "ftp:" and the like
    return ResolveLink(location, from, target) >= 0;
}

}  // namespace

int FetchPageOnce(const std::atomic<int32_t>& stopMode, const AddressRecord& address, char* page)
{
    char head[kHeadBufferSize];
    char bodyStart[kReceiveChunk];
    int bodyStartCount = 0;
    CONNECTION connection;
    if (!OpenExchange(address, 0, head, bodyStart, &bodyStartCount, &connection)) return 0;
    int stored = 0;
    if (IsRedirect(StatusCode(head)))
        ReportTransfer(address, kRedirectRefused, StatusCode(head), "a second redirect");
    else if (HasStatus(address, head, 200))
        stored = ReportPage(address, ReadBody(connection, stopMode, bodyStart, bodyStartCount, page), stopMode);
    CloseServerConnection(connection);
    return stored;
}

int FetchPage(const std::atomic<int32_t>& stopMode, AddressRecord* address, char* page)
{
    char head[kHeadBufferSize];
    char bodyStart[kReceiveChunk];
    int bodyStartCount = 0;
    CONNECTION connection;
    if (!OpenExchange(*address, 0, head, bodyStart, &bodyStartCount, &connection)) return 0;

    int status = StatusCode(head);
    if (status == 200) {
        int stored = ReadBody(connection, stopMode, bodyStart, bodyStartCount, page);
        CloseServerConnection(connection);
        return ReportPage(*address, stored, stopMode);
    }
    CloseServerConnection(connection);
    if (!IsRedirect(status)) {
        ReportStatus(*address, head);
        return 0;
    }

    char location[500];
    AddressRecord target;
    // An empty value names no target: it fails like a missing Location.
    if (!FindHeader(head, "Location", location, sizeof location) || location[0] == '\0') {
        ReportTransfer(*address, kRedirectRefused, status, "no Location");
        return 0;
    }
    if (!RedirectTarget(location, *address, &target)) {
        ReportTransfer(*address, kRedirectRefused, status, location);
        return 0;
    }
    *address = target;
    return FetchPageOnce(stopMode, *address, page);
}
