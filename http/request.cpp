#include "http/request.h"

#include <cstring>

namespace {

const char* const kMethodTexts[] = {"OPTION ", "GET ", "HEAD ", "POST ", "PUT ", "DELETE ", "TRACE ", "CONNECT "};

const char* const kGeneralPrefixes[kGeneralHeaderCount] = {
    "Cache-Control: ", "Connection: ", "Date: ", "Pragma: ", "Trailer: ", "Transfer-Encoding: ",
    "Upgrade: ", "Via: ", "Warning: "};

// The name of the host header is written in capitals exactly so.
const char* const kRequestPrefixes[kRequestHeaderCount] = {
    "Accept: ", "Accept-Charset: ", "Accept-Encoding: ", "Accept-Language: ", "Authorization: ",
    "Expect: ", "From: ", "HOST: ", "If-Match: ", "If-Modified-Since: ", "If-None-Match: ", "If-Range: ",
    "If-Unmodified-Since: ", "Max-Forwards: ", "Proxy-Authenticate: ", "Range: ", "Referer: ", "TE: ",
    "User-Agent: "};

const char* const kEntityPrefixes[kEntityHeaderCount] = {
    "Allow: ", "Content-Encoding: ", "Content-Language: ", "Content-Length: ", "Content-Location: ",
    "Content-MD5: ", "Content-Range: ", "Content-Type: ", "Expires: ", "Last-Modified: ", nullptr};

const char kUserAgentLine[] = "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0)";

// Appends to a fixed buffer, remembering whether anything did not fit.
struct Writer {
    char* out;
    int size;  // bytes available, terminator included
    int length = 0;
    bool overflow = false;

    void Put(const char* text, size_t count)
    {
        if (overflow || count >= static_cast<size_t>(size - length)) {
            overflow = true;
            return;
        }
        std::memcpy(out + length, text, count);
        length += static_cast<int>(count);
        out[length] = '\0';
    }
    void Put(const char* text) { Put(text, strnlen(text, kSlotSize - 1)); }
};

bool IsSet(const char* slot) { return slot[0] != '\0'; }

// A slot is read up to its terminator or its 100th byte, whichever comes first.
bool HasLineBreak(const char* text, size_t limit)
{
    for (size_t i = 0; i < limit && text[i] != '\0'; ++i)
        if (text[i] == '\r' || text[i] == '\n') return true;
    return false;
}

bool RecordHasLineBreak(const RequestRecord& record)
{
    const AddressRecord& a = record.address;
    if (HasLineBreak(a.host, sizeof a.host) || HasLineBreak(a.port, sizeof a.port) ||
        HasLineBreak(a.path, sizeof a.path) || HasLineBreak(a.query, sizeof a.query))
        return true;
    for (const auto& slot : record.general)
        if (HasLineBreak(slot, kSlotSize)) return true;
    for (const auto& slot : record.request)
        if (HasLineBreak(slot, kSlotSize)) return true;
    for (const auto& slot : record.entity)
        if (HasLineBreak(slot, kSlotSize)) return true;
    return false;
}

void PutField(Writer& w, const char* field, size_t size)
{
    w.Put(field, strnlen(field, size - 1));
}

}  // namespace

int BuildRequestLine(const RequestRecord& record, char* out, int size)
{
    if (record.method < kMethodOption || record.method > kMethodConnect) return 0;
    const AddressRecord& a = record.address;
    Writer w{out, size};
    out[0] = '\0';
    w.Put(kMethodTexts[record.method - 1]);
    if (record.targetForm == kTargetAbsolute) {
        w.Put("http://");
        PutField(w, a.host, sizeof a.host);
        // Any port text that begins with "80" is left out, 8080 included.
        if (std::strncmp(a.port, "80", 2) != 0) {
            w.Put(":");
            PutField(w, a.port, sizeof a.port);
        }
        if (IsSet(a.path)) {
            PutField(w, a.path, sizeof a.path);
            if (IsSet(a.query)) {
                w.Put("?");
                PutField(w, a.query, sizeof a.query);
            }
        }
    } else if (!IsSet(a.path)) {
        w.Put("/");
    } else {
        PutField(w, a.path, sizeof a.path);
        if (IsSet(a.query)) {
            w.Put("?");
            PutField(w, a.query, sizeof a.query);
        }
    }
    w.Put(" HTTP/1.1\r\n");
    if (w.overflow) {
        out[0] = '\0';
        return 0;
    }
    return w.length;
}

int BuildRequest(const RequestRecord& record, char (&out)[kRequestBufferSize])
{
    std::memset(out, 0, sizeof out);
    if (RecordHasLineBreak(record)) return 0;

    int lineLength = BuildRequestLine(record, out, kRequestBufferSize);
    if (lineLength == 0) return 0;

    Writer w{out, kRequestBufferSize, lineLength};
    auto putHeader = [&w](const char* prefix, const char* value) {
        w.Put(prefix);
        w.Put(value);
        w.Put("\r\n");
    };

    for (int i = 0; i < kGeneralHeaderCount; ++i)
        if (IsSet(record.general[i])) putHeader(kGeneralPrefixes[i], record.general[i]);

    for (int i = 0; i < kRequestHeaderCount; ++i) {
        if (i == kUserAgent)
            putHeader(kUserAgentLine, "");
        else if (i == kAcceptEncoding || IsSet(record.request[i]))
            putHeader(kRequestPrefixes[i], record.request[i]);
    }

    for (int i = 0; i < kEntityUnused; ++i)
        if (IsSet(record.entity[i])) putHeader(kEntityPrefixes[i], record.entity[i]);

    w.Put(record.extra);
    w.Put("\r\n");

    if (w.overflow) {
        std::memset(out, 0, sizeof out);
        return 0;
    }
    return w.length;
}

void PrepareGetRequest(const AddressRecord& address, RequestRecord* record)
{
    std::memset(record, 0, sizeof *record);
    record->method = kMethodGet;
    record->targetForm = kTargetOrigin;
    record->address = address;
    std::strcpy(record->general[kConnection], "close");
    std::strcpy(record->request[kAccept], "*/*");
    std::strcpy(record->request[kAcceptLanguage], "ko, en, en-us");
    std::strncpy(record->request[kHost], address.host, kSlotSize - 1);
}
