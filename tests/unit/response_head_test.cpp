#include "http/response_head.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Feeds `bytes` in pieces cut at the given offsets; returns the head and what followed it.
struct Fed {
    int result;  // bytes of the last piece used by the head, or kHeadNeedMore / kHeadTooLong
    std::string head;
    std::string rest;
};

Fed FeedInPieces(const std::string& bytes, size_t piece)
{
    char head[kHeadBufferSize] = {};
    HeadReader reader{head};
    for (size_t at = 0; at < bytes.size(); at += piece) {
        std::string chunk = bytes.substr(at, piece);
        int used = FeedHead(reader, chunk.data(), static_cast<int>(chunk.size()));
        if (used != kHeadNeedMore) {
            std::string rest = used >= 0 ? bytes.substr(at + static_cast<size_t>(used)) : "";
            return {used, head, rest};
        }
    }
    return {kHeadNeedMore, head, ""};
}

TEST(ResponseHead, EndIsFoundAtEveryPieceSize)
{
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";
    const std::string bytes = head + "hello";
    for (size_t piece = 1; piece <= bytes.size(); ++piece) {
        SCOPED_TRACE(piece);
        Fed fed = FeedInPieces(bytes, piece);
        ASSERT_GE(fed.result, 0);
        EXPECT_EQ(fed.head, head);
        EXPECT_EQ(fed.rest, "hello");
    }
}

TEST(ResponseHead, DetectorSequences)
{
    struct Case {
        std::string bytes;
        int headLength;  // -1: the head never ends
    } cases[] = {
        {"A\r\n\r\nbody", 5},
        {"A\r\r\n\r\nbody", 6},   // CR CR LF CR LF
        {"A\r\n\n\r\nbody", 6},   // CR LF LF CR LF
        {"A\n\nB\n\nbody", -1},   // bare LFs never end it
        {"A\r\nB\r\n\r\n", 8},
        {"A\r\n\rX\r\n\r\n", 9},  // an interrupted end starts over
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        Fed fed = FeedInPieces(c.bytes, c.bytes.size());
        if (c.headLength < 0) {
            EXPECT_EQ(fed.result, kHeadNeedMore);
        } else {
            EXPECT_EQ(fed.result, c.headLength);
            EXPECT_EQ(fed.head, c.bytes.substr(0, static_cast<size_t>(c.headLength)));
        }
    }
}

TEST(ResponseHead, HeadOf4999BytesIsRefused)
{
    auto headOfLength = [](size_t length) {
        std::string start = "HTTP/1.1 200 OK\r\nX: ";
        return start + std::string(length - start.size() - 4, 'x') + "\r\n\r\n";
    };
    Fed ok = FeedInPieces(headOfLength(4998), 1460);
    EXPECT_EQ(ok.head.size(), 4998u);
    EXPECT_GE(ok.result, 0);
    EXPECT_EQ(FeedInPieces(headOfLength(4999), 1460).result, kHeadTooLong);
    EXPECT_EQ(FeedInPieces(std::string(6000, 'x'), 1460).result, kHeadTooLong);
}

TEST(ResponseHead, StatusCodes)
{
    struct Case {
        const char* head;
        int status;
    } cases[] = {
        {"HTTP/1.1 302 Found\r\n\r\n", 302},  {"HTTP/1.0 404 Not Found\r\n\r\n", 404},
        {"HTTP/1.1 200\r\n\r\n", 200},         {"XXXXXXXX 206 Partial\r\n\r\n", 206},
        {"HTTP/1.1 20x OK\r\n\r\n", 20},       {"HTTP/1.1\r\n\r\n", 0},
        {"\r\n\r\n", 0},                       {"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        EXPECT_EQ(StatusCode(c.head), c.status);
    }
}

TEST(ResponseHead, FindHeaderCases)
{
    const char* head =
        "HTTP/1.1 302 Found\r\n"
        "Location-Info: wrong\r\n"
        "location:http://h/x\r\n"
        "Content-Length: \t 1234\r\n"
        "X-Empty:\r\n"
        "Long: " "0123456789012345678901234567890\r\n"
        "\r\n"
        "Hidden: after the head\r\n";
    struct Case {
        const char* name;
        int size;
        int found;
        const char* value;
    } cases[] = {
        {"Location", 500, 1, "http://h/x"},  // any case, whole name, no blank needed
        {"Content-Length", 20, 1, "1234"},
        {"X-Empty", 20, 1, ""},
        {"Long", 11, 1, "0123456789"},
        {"Hidden", 20, 0, ""},              // the head ends at the empty line
        {"HTTP/1.1 302 Found", 20, 0, ""},  // the status line has no colon after it
        {"Content", 20, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char value[500] = {};
        EXPECT_EQ(FindHeader(head, c.name, value, c.size), c.found);
        if (c.found) {
            EXPECT_STREQ(value, c.value);
        }
    }
}

TEST(ResponseHead, NextHeaderLineIsBounded)
{
    std::string longLine = "X: " + std::string(1500, 'y') + "\r\nNext: 1\r\n\r\n";
    char line[kHeaderLineSize];
    const char* next = NextHeaderLine(longLine.c_str(), line);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(std::strlen(line), 999u);
    next = NextHeaderLine(next, line);
    EXPECT_STREQ(line, "Next: 1");
    EXPECT_EQ(NextHeaderLine(next, line), nullptr);

    // A line that begins with a bare LF ends the header lines; so does the end of the text.
    EXPECT_EQ(NextHeaderLine("\nX: 1\r\n", line), nullptr);
    next = NextHeaderLine("Last: 2", line);
    EXPECT_STREQ(line, "Last: 2");
    EXPECT_EQ(NextHeaderLine(next, line), nullptr);
}

}  // namespace
