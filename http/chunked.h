// Decoding a chunked response body: a pure feeder over bytes, so a body split at any point
// decodes the same.
#pragma once

#include <cstdint>

struct CHUNKDECODER {
    int state = 0;           // where in the chunk syntax the next byte falls
    int64_t remaining = 0;   // data bytes left in the current chunk, or the size being read
    int digits = 0;          // hex digits of the size line so far
};

inline constexpr int kChunkedMore = 0;   // the body goes on
inline constexpr int kChunkedDone = 1;   // the last chunk and the trailer have been read
inline constexpr int kChunkedError = -1; // not chunked syntax

// Feeds `count` bytes; the data bytes among them are written to `out` (room for `count`) and
// counted in `*outCount`. Returns kChunkedMore, kChunkedDone (the bytes after the end, if any,
// are left unread and `*used` tells how many were taken) or kChunkedError.
int FeedChunked(CHUNKDECODER& decoder, const char* in, int count, char* out, int* outCount, int* used);
