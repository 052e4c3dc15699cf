#include "http/request.h"

#include "support/parsed_address.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Build(const RequestRecord& record)
{
    char out[kRequestBufferSize];
    std::memset(out, 'X', sizeof out);
    int length = BuildRequest(record, out);
    EXPECT_EQ(length, static_cast<int>(std::strlen(out)));
    return std::string(out, static_cast<size_t>(length));
}

const char kUserAgent[] = "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0)\r\n";

TEST(BuildRequest, PageRequestIsExact)
{
    RequestRecord record;
    PrepareGetRequest(ParsedAddress("h/a/b.php?x=1"), &record);
    EXPECT_EQ(Build(record), std::string("GET /a/b.php?x=1 HTTP/1.1\r\n"
                                         "Connection: close\r\n"
                                         "Accept: */*\r\n"
                                         "Accept-Encoding: \r\n"
                                         "Accept-Language: ko, en, en-us\r\n"
                                         "HOST: h\r\n") +
                                 kUserAgent + "\r\n");
}

TEST(BuildRequest, RangeRequestPutsRangeBeforeUserAgent)
{
    RequestRecord record;
    PrepareGetRequest(ParsedAddress("files.example:8080/x/y.jpg"), &record);
    std::snprintf(record.request[kRange], kSlotSize, "bytes=-%d", 400);
    // The host header never carries the port.
    EXPECT_EQ(Build(record), std::string("GET /x/y.jpg HTTP/1.1\r\n"
                                         "Connection: close\r\n"
                                         "Accept: */*\r\n"
                                         "Accept-Encoding: \r\n"
                                         "Accept-Language: ko, en, en-us\r\n"
                                         "HOST: files.example\r\n"
                                         "Range: bytes=-400\r\n") +
                                 kUserAgent + "\r\n");
}

TEST(BuildRequest, EmptySlotsGiveOnlyTheFixedLines)
{
    RequestRecord record{};
    record.method = kMethodHead;
    record.targetForm = kTargetOrigin;
    EXPECT_EQ(Build(record), std::string("HEAD / HTTP/1.1\r\nAccept-Encoding: \r\n") + kUserAgent + "\r\n");
}

TEST(BuildRequest, EveryHeaderGroupInOrder)
{
    RequestRecord record{};
    record.method = kMethodGet;
    record.address = ParsedAddress("h/p");
    for (int i = 0; i < kGeneralHeaderCount; ++i) std::snprintf(record.general[i], kSlotSize, "g%d", i);
    for (int i = 0; i < kRequestHeaderCount; ++i) std::snprintf(record.request[i], kSlotSize, "r%d", i);
    for (int i = 0; i < kEntityHeaderCount; ++i) std::snprintf(record.entity[i], kSlotSize, "e%d", i);
    std::strcpy(record.extra, "X-Extra: 1\r\n");
    EXPECT_EQ(Build(record),
              "GET /p HTTP/1.1\r\n"
              "Cache-Control: g0\r\nConnection: g1\r\nDate: g2\r\nPragma: g3\r\nTrailer: g4\r\n"
              "Transfer-Encoding: g5\r\nUpgrade: g6\r\nVia: g7\r\nWarning: g8\r\n"
              "Accept: r0\r\nAccept-Charset: r1\r\nAccept-Encoding: r2\r\nAccept-Language: r3\r\n"
              "Authorization: r4\r\nExpect: r5\r\nFrom: r6\r\nHOST: r7\r\nIf-Match: r8\r\n"
              "If-Modified-Since: r9\r\nIf-None-Match: r10\r\nIf-Range: r11\r\nIf-Unmodified-Since: r12\r\n"
              "Max-Forwards: r13\r\nProxy-Authenticate: r14\r\nRange: r15\r\nReferer: r16\r\nTE: r17\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0)\r\n"  // the slot's own text is never read
              "Allow: e0\r\nContent-Encoding: e1\r\nContent-Language: e2\r\nContent-Length: e3\r\n"
              "Content-Location: e4\r\nContent-MD5: e5\r\nContent-Range: e6\r\nContent-Type: e7\r\n"
              "Expires: e8\r\nLast-Modified: e9\r\n"  // the eleventh entity slot is never written
              "X-Extra: 1\r\n\r\n");
}

TEST(BuildRequestLine, MethodsAndTargets)
{
    struct Case {
        int method;
        int form;
        const char* address;  // nullptr: an all-empty address
        const char* line;     // "" when refused
    } cases[] = {
        {0, kTargetOrigin, "h/", ""},
        {9, kTargetOrigin, "h/", ""},
        {kMethodOption, kTargetOrigin, "h/", "OPTION / HTTP/1.1\r\n"},
        {kMethodConnect, kTargetOrigin, "h/", "CONNECT / HTTP/1.1\r\n"},
        {kMethodGet, kTargetOrigin, nullptr, "GET / HTTP/1.1\r\n"},
        {kMethodGet, kTargetOrigin, "h/?q=1", "GET /?q=1 HTTP/1.1\r\n"},
        {kMethodGet, 0, "h/a?q", "GET /a?q HTTP/1.1\r\n"},  // any form but 2 is the origin form
        {kMethodGet, kTargetAbsolute, "h/a?q", "GET http://h/a?q HTTP/1.1\r\n"},
        {kMethodGet, kTargetAbsolute, "h:8080/a", "GET http://h/a HTTP/1.1\r\n"},  // "80..." is left out
        {kMethodGet, kTargetAbsolute, "h:81/a", "GET http://h:81/a HTTP/1.1\r\n"},
        {kMethodPost, kTargetAbsolute, nullptr, "POST http://: HTTP/1.1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        RequestRecord record{};
        record.method = c.method;
        record.targetForm = c.form;
        if (c.address) record.address = ParsedAddress(c.address);
        char line[kRequestBufferSize] = {};
        int length = BuildRequestLine(record, line, sizeof line);
        EXPECT_EQ(std::string(line), c.line);
        EXPECT_EQ(length, static_cast<int>(std::strlen(c.line)));
    }
}

TEST(BuildRequest, UnknownMethodLeavesAnEmptyBuffer)
{
    RequestRecord record;
    PrepareGetRequest(ParsedAddress("h/"), &record);
    record.method = 9;
    char out[kRequestBufferSize];
    std::memset(out, 'X', sizeof out);
    EXPECT_EQ(BuildRequest(record, out), 0);
    for (char c : out) ASSERT_EQ(c, '\0');
}

TEST(BuildRequest, SlotValueIsReadUpToItsHundredthByte)
{
    RequestRecord record;
    PrepareGetRequest(ParsedAddress("h/"), &record);
    std::memset(record.request[kReferer], 'r', kSlotSize);  // no terminator in the slot
    std::string text = Build(record);
    EXPECT_NE(text.find("Referer: " + std::string(99, 'r') + "\r\nUser-Agent"), std::string::npos);
}

TEST(BuildRequest, LargestRecordFitsItsBuffer)
{
    // Every field at its limit and none terminated within it: each is read to its limit only.
    RequestRecord record{};
    record.method = kMethodConnect;
    record.targetForm = kTargetAbsolute;
    std::memset(record.address.host, 'h', sizeof record.address.host);
    std::memset(record.address.port, '9', sizeof record.address.port);
    record.address.path[0] = '/';
    std::memset(record.address.path + 1, 'p', sizeof record.address.path - 1);
    std::memset(record.address.query, 'q', sizeof record.address.query);
    for (auto& slot : record.general) std::memset(slot, 'g', kSlotSize);
    for (auto& slot : record.request) std::memset(slot, 'r', kSlotSize);
    for (auto& slot : record.entity) std::memset(slot, 'e', kSlotSize);
    std::memset(record.extra, 'x', kSlotSize);

    std::string text = Build(record);
    EXPECT_EQ(text.size(), 4824u);
    EXPECT_EQ(text.substr(0, 75), "CONNECT http://" + std::string(49, 'h') + ":99999/pppp");
    EXPECT_EQ(text.substr(text.size() - 101), std::string(99, 'x') + "\r\n");
}

TEST(BuildRequestLine, LineThatDoesNotFitIsRefused)
{
    RequestRecord record;
    PrepareGetRequest(ParsedAddress("h/abcdef"), &record);
    char line[16];
    std::memset(line, 'X', sizeof line);
    EXPECT_EQ(BuildRequestLine(record, line, sizeof line), 0);
    EXPECT_EQ(line[0], '\0');
    char exact[23];  // "GET /abcdef HTTP/1.1\r\n" and its terminator
    EXPECT_EQ(BuildRequestLine(record, exact, sizeof exact), 22);
    EXPECT_EQ(BuildRequestLine(record, exact, sizeof exact - 1), 0);
}

TEST(BuildRequest, LineBreaksInHostTargetOrValuesAreRefused)
{
    const char* bad[] = {"h\r\nX-Injected: 1/", "h/a\r\nX: 1", "h/a?q=\n1", "h/a\rb"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        RequestRecord record;
        PrepareGetRequest(ParsedAddress(text), &record);
        char out[kRequestBufferSize];
        EXPECT_EQ(BuildRequest(record, out), 0);
        EXPECT_EQ(out[0], '\0');
    }
    RequestRecord record;
    PrepareGetRequest(ParsedAddress("h/"), &record);
    std::strcpy(record.request[kRange], "bytes=-1\r\nX: 1");
    char out[kRequestBufferSize];
    EXPECT_EQ(BuildRequest(record, out), 0);
}

}  // namespace
