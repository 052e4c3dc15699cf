#include "http/chunked.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Decodes `body` fed in pieces of `piece` bytes: the data, the outcome, and the bytes taken.
struct Decoded {
    std::string data;
    int result = kChunkedMore;
    size_t used = 0;
};

Decoded Decode(const std::string& body, size_t piece)
{
    Decoded d;
    CHUNKDECODER decoder;
    for (size_t at = 0; at < body.size() && d.result == kChunkedMore; at += piece) {
        int count = static_cast<int>(std::min(piece, body.size() - at));
        std::string out(static_cast<size_t>(count), '\0');
        int outCount = 0, used = 0;
        d.result = FeedChunked(decoder, body.data() + at, count, out.data(), &outCount, &used);
        d.data.append(out.data(), static_cast<size_t>(outCount));
        d.used = at + static_cast<size_t>(used);
    }
    return d;
}

TEST(Chunked, BodiesDecodeTheSameWhereverTheyAreSplit)
{
    struct Case {
        std::string body;
        int result;
        std::string data;
        size_t used;
    } cases[] = {
        {"7\r\n<a href\r\n3\r\n=\"x\r\n0\r\n\r\n", kChunkedDone, "<a href=\"x", 25},
        {"A;name=value\r\n0123456789\r\n0\r\nTrailer: x\r\n\r\nNEXT", kChunkedDone, "0123456789", 43},
        {"4\n abc\n0\n\n", kChunkedDone, " abc", 10},   // bare LF line ends
        {"ff\r\n", kChunkedMore, "", 4},              // waits for its data
        {"3\r\nabc\r\n", kChunkedMore, "abc", 8},
        {"x\r\n", kChunkedError, "", 0},
        {"3\r\nabcd\r\n", kChunkedError, "abc", 6},    // data longer than its size
        {"1000000000000000\r\n", kChunkedError, "", 15},  // a size past any body
    };
    for (const Case& c : cases) {
        for (size_t piece : {c.body.size(), size_t{1}, size_t{2}, size_t{5}}) {
            SCOPED_TRACE(c.body + " in pieces of " + std::to_string(piece));
            Decoded d = Decode(c.body, piece);
            EXPECT_EQ(d.result, c.result);
            EXPECT_EQ(d.data, c.data);
            if (c.result != kChunkedError) {
                EXPECT_EQ(d.used, c.used);
            }
        }
    }
}

}  // namespace
