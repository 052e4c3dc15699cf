#include "http/address.h"

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
void SetHostAndPort(const char* hostPart, size_t length, AddressRecord* record)
{
    const char* colon = static_cast<const char*>(std::memchr(hostPart, ':', length));
    size_t hostLength = colon ? static_cast<size_t>(colon - hostPart) : length;
    CopyCut(record->host, hostPart, hostLength, kHostSize - 1);
    if (colon)
        CopyCut(record->port, colon + 1, length - hostLength - 1, kPortSize - 1);
    if (record->port[0] == '\0') std::strcpy(record->port, "80");
}

}  // namespace

void ParseAddress(char* text, AddressRecord* record)
{
    std::memset(record, 0, sizeof *record);

    char* slash = std::strchr(text, '/');
    if (slash == nullptr) {
        SetHostAndPort(text, std::strlen(text), record);
        std::strcpy(record->path, "/");
        return;
    }

    SetHostAndPort(text, static_cast<size_t>(slash - text), record);

    char* question = std::strchr(slash + 1, '?');
    if (question != nullptr) {
        CopyCut(record->query, question + 1, std::strlen(question + 1), kQuerySize - 1);
        *question = '\0';
    }
    CopyCut(record->path, slash, std::strlen(slash), kPathSize - 1);
}

int ResolveLink(const char* link, const AddressRecord& base, AddressRecord* record)
{
    char text[kLinkTextSize];
    constexpr size_t kLimit = kLinkTextSize - 1;

    if (std::strncmp(link, "http://", 7) == 0) {
        CopyCut(text, link + 7, std::strlen(link + 7), kLimit);
        ParseAddress(text, record);
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
    CopyCut(text + length, link, std::strlen(link), kLimit - length);
    ParseAddress(text, record);
    std::memcpy(record->port, base.port, kPortSize);
    return 0;
}
