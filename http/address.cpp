#include "http/address.h"

#include <cstdio>
#include <cstring>

namespace {

// Copies at most `limit` characters of [from, from + available) and terminates.
void CopyCut(char* to, const char* from, size_t available, size_t limit)
{
    size_t length = available < limit ? available : limit;
    std::memcpy(to, from, length);
    to[length] = '\0';
}

// Splits "host[:port]" of the given length into the record.
void SetHostAndPort(const char* hostPart, size_t length, AddressRecord* record, const char* defaultPort)
{
    const char* colon = static_cast<const char*>(std::memchr(hostPart, ':', length));
    size_t hostLength = colon ? static_cast<size_t>(colon - hostPart) : length;
    CopyCut(record->host, hostPart, hostLength, kHostSize - 1);
    if (colon)
        CopyCut(record->port, colon + 1, length - hostLength - 1, kPortSize - 1);
    if (record->port[0] == '\0') std::strcpy(record->port, defaultPort);
}

bool StartsWith(const char* text, size_t length, const char* prefix)
{
    size_t n = std::strlen(prefix);
    return length >= n && std::memcmp(text, prefix, n) == 0;
}

bool Is(const char* text, size_t length, const char* whole)
{
    return length == std::strlen(whole) && std::memcmp(text, whole, length) == 0;
}

}  // namespace

size_t RemoveDotSegments(char* path, size_t length)
{
    // The input is a copy: the output is written over the path, and never longer.
    char input[kLinkTextSize];
    size_t n = length < sizeof input - 1 ? length : sizeof input - 1;
    const bool rooted = n > 0 && path[0] == '/';
    std::memcpy(input, path, n);
    char* in = input;
    size_t out = 0;
    auto dropLastSegment = [&] {
        while (out > 0 && path[out - 1] != '/') --out;
        if (out > 0) --out;
    };
    while (n > 0) {
        if (StartsWith(in, n, "../")) {
            in += 3, n -= 3;
        } else if (StartsWith(in, n, "./") || StartsWith(in, n, "/./")) {
            in += 2, n -= 2;
        } else if (Is(in, n, "/.")) {
            in[1] = '/';
            in += 1, n -= 1;
        } else if (StartsWith(in, n, "/../")) {
            in += 3, n -= 3;
            dropLastSegment();
        } else if (Is(in, n, "/..")) {
            in[2] = '/';
            in += 2, n -= 2;
            dropLastSegment();
        } else if (Is(in, n, ".") || Is(in, n, "..")) {
            n = 0;
        } else {
            // Move the first segment, with its leading "/", to the output.
            size_t segment = 1;
            while (segment < n && in[segment] != '/') ++segment;
            std::memmove(path + out, in, segment);
            out += segment;
            in += segment, n -= segment;
        }
    }
    if (out == 0 && rooted) path[out++] = '/';  // ".." above the root stays at the root
    path[out] = '\0';
    return out;
}

int SchemeLength(const char* address)
{
    if (std::strncmp(address, "http://", 7) == 0) return 7;
    if (std::strncmp(address, "https://", 8) == 0) return 8;
    return 0;
}

bool IsHttps(const AddressRecord& record)
{
    return std::strcmp(record.scheme, "https") == 0;
}

const char* DefaultPort(const AddressRecord& record)
{
    return IsHttps(record) ? "443" : "80";
}

void ParseAddress(char* text, AddressRecord* record, bool https)
{
    std::memset(record, 0, sizeof *record);
    std::strcpy(record->scheme, https ? "https" : "http");
    const char* defaultPort = https ? "443" : "80";
    // A fragment names a place in the resource, never part of what is requested.
    text[std::strcspn(text, "#")] = '\0';

    char* slash = std::strchr(text, '/');
    if (slash == nullptr) {
        SetHostAndPort(text, std::strlen(text), record, defaultPort);
        std::strcpy(record->path, "/");
        return;
    }

    SetHostAndPort(text, static_cast<size_t>(slash - text), record, defaultPort);

    char* question = std::strchr(slash + 1, '?');
    if (question != nullptr) {
        CopyCut(record->query, question + 1, std::strlen(question + 1), kQuerySize - 1);
        *question = '\0';
    }
    size_t pathLength = RemoveDotSegments(slash, std::strlen(slash));
    CopyCut(record->path, slash, pathLength, kPathSize - 1);
}

void ParseWholeAddress(const char* address, AddressRecord* record)
{
    int scheme = SchemeLength(address);
    char text[kLinkTextSize];
    std::snprintf(text, sizeof text, "%s", scheme != 0 ? address + scheme : std::strlen(address) > 7 ? address + 7 : "");
    ParseAddress(text, record, scheme == 8);
}

bool FormatAddress(const AddressRecord& record, char* text, size_t size)
{
    bool defaultPort = std::strcmp(record.port, DefaultPort(record)) == 0;
    int n = std::snprintf(text, size, "%s://%s%s%s%s%s%s", record.scheme[0] ? record.scheme : "http", record.host,
                          defaultPort ? "" : ":", defaultPort ? "" : record.port, record.path,
                          record.query[0] ? "?" : "", record.query);
    return n >= 0 && static_cast<size_t>(n) < size;
}

void AbsoluteLinkKey(const char* link, char* key, size_t size)
{
    std::snprintf(key, size, "%s", link + SchemeLength(link));
    key[std::strcspn(key, "#")] = '\0';
    char* slash = std::strchr(key, '/');
    if (slash == nullptr) return;
    size_t pathLength = std::strcspn(slash, "?");
    char* query = slash + pathLength;
    size_t queryLength = std::strlen(query);
    size_t cleanLength = RemoveDotSegments(slash, pathLength);
    std::memmove(slash + cleanLength, query, queryLength + 1);
}

int ResolveLink(const char* link, const AddressRecord& base, AddressRecord* record)
{
    char text[kLinkTextSize];
    constexpr size_t kLimit = kLinkTextSize - 1;
    const size_t linkLength = std::strcspn(link, "#");

    if (linkLength == 0) {
        *record = base;
        return -1;
    }
    if (int scheme = SchemeLength(link); scheme != 0) {
        CopyCut(text, link + scheme, linkLength - static_cast<size_t>(scheme), kLimit);
        ParseAddress(text, record, scheme == 8);
        return 1;
    }

    // host, then the page's directory unless the link is an absolute path, then the link
    size_t length = std::strlen(base.host);
    std::memcpy(text, base.host, length);
    if (link[0] != '/') {
        const char* lastSlash = std::strrchr(base.path, '/');
        size_t directory = lastSlash ? static_cast<size_t>(lastSlash - base.path) + 1 : 0;
        std::memcpy(text + length, base.path, directory);
        length += directory;
    }
    CopyCut(text + length, link, linkLength, kLimit - length);
    ParseAddress(text, record, IsHttps(base));
    std::memcpy(record->port, base.port, kPortSize);
    return 0;
}
