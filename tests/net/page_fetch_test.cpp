#include "http/page_fetch.h"
#include "http/request.h"
#include "http/response_head.h"
#include "net_fixture.h"
#include "support/recording_views.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace {

std::atomic<int32_t> gRunning{0};

std::string Page(const char* page, int length)
{
    return std::string(page, static_cast<size_t>(length));
}

class PageFetch : public RecordedNetTest {
protected:
    std::vector<char> page = std::vector<char>(kPageBufferSize);

    // The fetch that just failed reported exactly one failure since `before` failures, with
    // `outcome` (any when -1) and `detail` (any when null).
    static void ExpectOneFailure(size_t before, int outcome, const char* detail)
    {
        std::vector<TRANSFER> failures = Recorded().Failures();
        ASSERT_EQ(failures.size(), before + 1);
        if (outcome >= 0) {
            EXPECT_EQ(failures.back().outcome, outcome);
        }
        if (detail) {
            EXPECT_EQ(failures.back().detail, detail);
        }
    }

    int Fetch(AddressRecord* address, const std::atomic<int32_t>& stop = gRunning)
    {
        int handles = OpenHandleCount();
        int length = FetchPage(stop, address, page.data());
        EXPECT_EQ(OpenHandleCount(), handles) << "a connection was left open";
        if (length > 0) {
            EXPECT_EQ(page[static_cast<size_t>(length)], '\0');
        }
        return length;
    }
};

TEST_F(PageFetch, RequestBytesOnTheWire)
{
    AddressRecord address = Address(servers.scripted, "/echo/a.php?x=1&y=%20");
    int length = Fetch(&address);
    EXPECT_EQ(Page(page.data(), length),
              "GET /echo/a.php?x=1&y=%20 HTTP/1.1\r\n"
              "Connection: close\r\n"
              "Accept: */*\r\n"
              "Accept-Encoding: \r\n"
              "Accept-Language: ko, en, en-us\r\n"
              "HOST: 127.0.0.1\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0)\r\n"
              "\r\n");
}

TEST_F(PageFetch, PagesFromNginxAndPlainServer)
{
    std::string expected = ReadWholeFile(servers.root + "/page.html");
    for (int port : {servers.nginx, servers.plain}) {
        AddressRecord address = Address(port, "/page.html");
        int length = Fetch(&address);
        EXPECT_EQ(Page(page.data(), length), expected) << port;
    }
}

TEST_F(PageFetch, LargePageKeepsOnlyWholeChunksBelowTheCap)
{
    std::string served = ReadWholeFile(servers.root + "/big.html");
    AddressRecord address = Address(servers.nginx, "/big.html");
    int length = Fetch(&address);
    EXPECT_LT(length, kPageBufferSize);
    EXPECT_GT(length, kPageBufferSize - kReceiveChunk - 1);
    EXPECT_EQ(Page(page.data(), length), served.substr(0, static_cast<size_t>(length)));
}

TEST_F(PageFetch, OneRedirectIsFollowedAndRewritesTheAddress)
{
    std::string expected = ReadWholeFile(servers.root + "/dir/index.html");
    AddressRecord address = Address(servers.nginx, "/moved302");
    EXPECT_EQ(Page(page.data(), Fetch(&address)), expected);
    EXPECT_STREQ(address.path, "/dir/index.html");
    EXPECT_EQ(PortNumber(address.port), servers.nginx);

    address = Address(servers.nginx, "/moved301");
    EXPECT_EQ(Page(page.data(), Fetch(&address)), ReadWholeFile(servers.root + "/page.html"));
}

TEST_F(PageFetch, RedirectCases)
{
    struct Case {
        int port;
        const char* path;
        const char* finalPath;  // nullptr: the fetch fails
        const char* reported;   // the failure's detail, when it is a refused redirect
    } cases[] = {
        {servers.nginx, "/redirect-chain", nullptr, "a second redirect"},  // a second redirect ends it
        {servers.scripted, "/redirect-twice", nullptr, "a second redirect"},
        {servers.scripted, "/lower-location", "/echo-lower", nullptr},  // header names in any case, no blank
        {servers.scripted, "/dir/relative-location", "/dir/echo-relative", nullptr},  // 307, relative target
        {servers.scripted, "/https-location", nullptr, nullptr},  // followed: port 443 fails as it does
        {servers.scripted, "/no-location", nullptr, "no Location"},
        {servers.scripted, "/loc/empty-location", nullptr, "no Location"},  // an empty value is no target
        {servers.scripted, "/loc/blank-location", nullptr, "no Location"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        AddressRecord address = Address(c.port, c.path);
        size_t before = Recorded().Failures().size();
        int length = Fetch(&address);
        if (c.finalPath == nullptr) {
            EXPECT_EQ(length, 0);
            ExpectOneFailure(before, c.reported ? kRedirectRefused : -1, c.reported);
        } else {
            EXPECT_GT(length, 0);
            EXPECT_STREQ(address.path, c.finalPath);
            EXPECT_EQ(PortNumber(address.port), c.port);  // a relative target keeps the port
        }
    }
}

TEST_F(PageFetch, FailuresGiveZeroAndLeaveNothingOpen)
{
    SetReceiveTimeoutForTest(500);
    struct Case {
        int port;
        const char* path;
        int outcome;  // the one failure reported
        const char* detail;
    } cases[] = {
        {servers.nginx, "/missing.html", kHttpStatus, "404 Not Found"},
        {servers.scripted, "/empty", kEmptyPage, ""},      // an empty body counts as no page
        {servers.scripted, "/bare-lf", kNoResponse, ""},   // the head never ends
        {servers.scripted, "/head-4999", kNoResponse, ""},
        {servers.scripted, "/silence", kNoResponse, ""},   // the receive times out
        {1, "/", kConnectionRefused, ""},                  // nothing listens there
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        AddressRecord address = Address(c.port, c.path);
        size_t before = Recorded().Failures().size();
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Fetch(&address), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        ExpectOneFailure(before, c.outcome, c.detail);
    }
    EXPECT_EQ(Recorded().Failures().back().address, "http://127.0.0.1:1/");
    AddressRecord address = Address(servers.scripted, "/x");
    address.host[0] = '\0';  // a name that cannot resolve, without asking any name server
    size_t before = Recorded().Failures().size();
    EXPECT_EQ(Fetch(&address), 0);
#if defined(_WIN32)
    ExpectOneFailure(before, -1, nullptr);  // Wine takes an empty name for this machine
#else
    ExpectOneFailure(before, kNameNotResolved, "");
#endif
}

TEST_F(PageFetch, StopModeIsReadBeforeEachReceive)
{
    std::string body = ScriptedBody(1000);
    std::atomic<int32_t> stop{2};
    AddressRecord address = Address(servers.scripted, "/head-then-more");
    EXPECT_EQ(Page(page.data(), Fetch(&address, stop)), body.substr(0, 100));  // only what came with the head

    stop = 1;  // a graceful stop never cuts a page short
    address = Address(servers.scripted, "/head-then-more");
    EXPECT_EQ(Page(page.data(), Fetch(&address, stop)), body);
}

// Reads a head straight from the socket, to see how the body start is split off.
struct HeadResult {
    int ok;
    std::string head;
    std::string bodyStart;
};

HeadResult ReadHead(int port, const char* path)
{
    Socket socket = ConnectToHost("127.0.0.1", port);
    EXPECT_NE(socket, 0);
    std::string request = std::string("GET ") + path + " HTTP/1.1\r\nHOST: 127.0.0.1\r\n\r\n";
    EXPECT_EQ(SendAll(socket, request.data(), static_cast<int>(request.size())), static_cast<int>(request.size()));
    char head[kHeadBufferSize];
    char bodyStart[kReceiveChunk];
    int count = -1;
    HeadResult result;
    CONNECTION connection{socket};
    result.ok = ReadResponseHead(connection, head, bodyStart, &count);
    result.head = head;
    result.bodyStart.assign(bodyStart, static_cast<size_t>(count));
    CloseConnection(socket);
    return result;
}

TEST_F(PageFetch, HeadAcrossReceives)
{
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\n";
    HeadResult one = ReadHead(servers.scripted, "/one-receive");
    EXPECT_EQ(one.ok, 1);
    EXPECT_EQ(one.head, head);
    EXPECT_EQ(one.bodyStart, ScriptedBody(1000));  // the rest of that receive, all of it

    HeadResult alone = ReadHead(servers.scripted, "/head-alone");
    EXPECT_EQ(alone.ok, 1);
    EXPECT_EQ(alone.head, head);
    EXPECT_EQ(alone.bodyStart, "");  // the head ended exactly at the end of a receive

    HeadResult split = ReadHead(servers.scripted, "/split-end");
    EXPECT_EQ(split.ok, 1);
    EXPECT_EQ(split.head, head);

    EXPECT_EQ(ReadHead(servers.scripted, "/head-4998").ok, 1);
    EXPECT_EQ(ReadHead(servers.scripted, "/head-4999").ok, 0);
    EXPECT_EQ(ReadHead(servers.scripted, "/bare-lf").ok, 0);
}

}  // namespace
