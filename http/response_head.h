// Response heads: reading one from a socket, its status code and single header values.
#pragma once

#include "http/connection.h"

#include <cstdint>

inline constexpr int kHeadBufferSize = 5000;
inline constexpr int kHeadLimit = 4999;   // a head of this many bytes or more is refused
inline constexpr int kHeaderLineSize = 1000;

// Collects head bytes and watches for the end of the head: the first CR LF CR LF, or a
// sequence such as CR CR LF CR LF or CR LF LF CR LF. Two bare LFs never end it.
struct HeadReader {
    char* head;      // the caller's 5000-byte buffer
    int stored = 0;  // bytes stored so far
    int state = 0;   // 0 to 3 while reading, 4 at the end of the head
};

inline constexpr int kHeadNeedMore = -1;
inline constexpr int kHeadTooLong = -2;

// Feeds `count` bytes. Returns the number of them that belong to the head once it is
// complete (the rest is body), kHeadNeedMore, or kHeadTooLong. The head stays terminated.
int FeedHead(HeadReader& reader, const char* data, int count);

// Receives until the end of the head. 1 on success, with the body bytes that came in the
// same receive in `bodyStart` (1460 bytes) and their number in `bodyStartCount`; 0 when the
// connection ends, goes silent or the head grows too long.
int ReadResponseHead(CONNECTION& connection, char (&head)[kHeadBufferSize], char (&bodyStart)[kReceiveChunk],
                     int* bodyStartCount);

// Reads the line at `position` into `line` (without its CR LF, cut to 999 characters) and
// returns the position after it; nullptr when the line is empty (CR, LF or end of text).
const char* NextHeaderLine(const char* position, char (&line)[kHeaderLineSize]);

// The three digits after the version text of the status line; 0 when there are none.
int StatusCode(const char* head);

// Content-Length as a count: decimal digits only, then blanks or tabs at most.
bool ParseContentLength(const char* text, int64_t* size);

// How a response's body ends.
enum BodyFraming { kFramedByClose, kFramedByLength, kFramedByChunks };
// The framing of the head's body, and for kFramedByLength its length.
BodyFraming ResponseFraming(const char* head, int64_t* length);
// True when the response leaves its connection open for another request: an HTTP/1.1 answer
// without "Connection: close".
bool ResponseKeepsConnection(const char* head);

// Finds the first header line named `name` (any letter case, followed by ":"), and copies
// its value (after the colon and any blanks or tabs) into `value`, cut to valueSize - 1
// characters. 1 when found, 0 otherwise.
int FindHeader(const char* head, const char* name, char* value, int valueSize);
