#include "http/page_fetch.h"

#include "http/chunked.h"
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

// Reads a 200 body into the page buffer, framed by its Content-Length, by chunks (decoded:
// the chunk lines are not page text) or by the close: the body-start bytes, then each
// receive's bytes while they fit below the cap. `*complete` tells whether the body was read
// to its end, so that the connection could carry another request.
int ReadBody(CONNECTION& connection, const std::atomic<int32_t>& stopMode, const char* head, const char* bodyStart,
             int bodyStartCount, char* page, bool* complete)
{
    int64_t length = 0;
    const BodyFraming framing = ResponseFraming(head, &length);
    CHUNKDECODER decoder;
    int64_t consumed = 0;  // body bytes as they came, chunk lines included
    int stored = 0;
    bool ended = false;
    bool fits = true;
    // One piece of the body as received; false once the body has ended or went wrong.
    auto take = [&](const char* data, int count) {
        char decoded[kReceiveChunk];
        if (framing == kFramedByChunks) {
            int used = 0, out = 0;
            int result = FeedChunked(decoder, data, count, decoded, &out, &used);
            if (result == kChunkedError || (result == kChunkedDone && used != count)) return false;
            ended = result == kChunkedDone;
            data = decoded;
            count = out;
        } else if (framing == kFramedByLength) {
            if (consumed + count > length) return false;  // more than announced: out of step
            consumed += count;
            ended = consumed == length;
        }
        if (stored + count >= kPageBufferSize) {
            fits = false;
            return false;
        }
        std::memcpy(page + stored, data, static_cast<size_t>(count));
        stored += count;
        return !ended;
    };

    bool more = take(bodyStart, bodyStartCount) || (bodyStartCount == 0 && !ended);
    if (framing == kFramedByLength && length == 0) ended = true, more = false;
    char chunk[kReceiveChunk];
    while (more && stopMode.load(std::memory_order_relaxed) != 2) {
        int received = ConnectionReceive(connection, chunk, sizeof chunk);
        if (received <= 0) break;
        more = take(chunk, received);
    }
    *complete = ended && fits;
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
    bool complete = false;
    if (IsRedirect(StatusCode(head)))
        ReportTransfer(address, kRedirectRefused, StatusCode(head), "a second redirect");
    else if (HasStatus(address, head, 200))
        stored = ReportPage(address, ReadBody(connection, stopMode, head, bodyStart, bodyStartCount, page, &complete),
                            stopMode);
    EndExchange(address, head, connection, complete);
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
        bool complete = false;
        int stored = ReadBody(connection, stopMode, head, bodyStart, bodyStartCount, page, &complete);
        EndExchange(*address, head, connection, complete);
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
