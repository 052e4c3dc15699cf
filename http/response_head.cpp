#include "http/response_head.h"

#include <cstring>

namespace {

// The end-of-head detector: rows are states 0 to 3, columns CR, LF and any other byte.
// State 4 is the end of the head.
const signed char kNextState[4][3] = {
    {1, 0, 0},
    {1, 2, 0},
    {3, 2, 0},
    {3, 4, 0},
};

int NextState(int state, char byte)
{
    return kNextState[state][byte == '\r' ? 0 : byte == '\n' ? 1 : 2];
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

int FeedHead(HeadReader& reader, const char* data, int count)
{
    for (int i = 0; i < count; ++i) {
        reader.head[reader.stored++] = data[i];
        reader.head[reader.stored] = '\0';
        reader.state = NextState(reader.state, data[i]);
        if (reader.stored >= kHeadLimit) return kHeadTooLong;
        if (reader.state == 4) return i + 1;
    }
    return kHeadNeedMore;
}

int ReadResponseHead(CONNECTION& connection, char (&head)[kHeadBufferSize], char (&bodyStart)[kReceiveChunk],
                     int* bodyStartCount)
{
    std::memset(head, 0, sizeof head);
    std::memset(bodyStart, 0, sizeof bodyStart);
    *bodyStartCount = 0;
    HeadReader reader{head};
    char chunk[kReceiveChunk];
    for (;;) {
        int received = ConnectionReceive(connection, chunk, sizeof chunk);
        if (received <= 0) return 0;
        int used = FeedHead(reader, chunk, received);
        if (used == kHeadTooLong) return 0;
        if (used >= 0) {
            *bodyStartCount = received - used;
            std::memcpy(bodyStart, chunk + used, static_cast<size_t>(*bodyStartCount));
            return 1;
        }
    }
}

const char* NextHeaderLine(const char* position, char (&line)[kHeaderLineSize])
{
    line[0] = '\0';
    if (*position == '\r' || *position == '\n' || *position == '\0') return nullptr;
    const char* end = position;
    while (*end != '\0' && *end != '\n') ++end;
    size_t length = static_cast<size_t>(end - position);
    if (length > 0 && position[length - 1] == '\r') --length;
    if (length > kHeaderLineSize - 1) length = kHeaderLineSize - 1;
    std::memcpy(line, position, length);
    line[length] = '\0';
    return *end == '\n' ? end + 1 : end;
}

bool ParseContentLength(const char* text, int64_t* size)
{
    if (*text < '0' || *text > '9') return false;
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value > (INT64_MAX - 9) / 10) return false;
        value = value * 10 + (*text - '0');
    }
    while (*text == ' ' || *text == '\t') ++text;
    if (*text != '\0') return false;
    *size = value;
    return true;
}

namespace {

bool HoldsWordNoCase(const char* text, const char* word)
{
    size_t n = std::strlen(word);
    for (; *text != '\0'; ++text) {
        size_t i = 0;
        while (i < n && text[i] != '\0' && (text[i] | 0x20) == word[i]) ++i;
        if (i == n) return true;
    }
    return false;
}

}  // namespace

BodyFraming ResponseFraming(const char* head, int64_t* length)
{
    char value[kHeaderLineSize];
    if (FindHeader(head, "Transfer-Encoding", value, sizeof value) && HoldsWordNoCase(value, "chunked"))
        return kFramedByChunks;
    if (FindHeader(head, "Content-Length", value, sizeof value) && ParseContentLength(value, length))
        return kFramedByLength;
    return kFramedByClose;
}

bool ResponseKeepsConnection(const char* head)
{
    if (std::strncmp(head, "HTTP/1.1 ", 9) != 0) return false;
    char value[kHeaderLineSize];
    return !FindHeader(head, "Connection", value, sizeof value) || !HoldsWordNoCase(value, "close");
}

int StatusCode(const char* head)
{
    char line[kHeaderLineSize];
    if (NextHeaderLine(head, line) == nullptr) return 0;
    if (std::strlen(line) < 10) return 0;
    int code = 0;
    for (int i = 9; i < 12 && line[i] >= '0' && line[i] <= '9'; ++i) code = code * 10 + (line[i] - '0');
    return code;
}

int FindHeader(const char* head, const char* name, char* value, int valueSize)
{
    size_t nameLength = std::strlen(name);
    char line[kHeaderLineSize];
    const char* position = head;
    while ((position = NextHeaderLine(position, line)) != nullptr) {
        // The whole name, then the colon: "Location" does not match "Location-Info".
        bool match = std::strlen(line) > nameLength && line[nameLength] == ':';
        for (size_t i = 0; match && i < nameLength; ++i) match = Lower(line[i]) == Lower(name[i]);
        if (!match) continue;
        const char* v = line + nameLength + 1;
        while (*v == ' ' || *v == '\t') ++v;
        size_t length = std::strlen(v);
        if (length > static_cast<size_t>(valueSize - 1)) length = static_cast<size_t>(valueSize - 1);
        std::memcpy(value, v, length);
        value[length] = '\0';
        return 1;
    }
    return 0;
}
