// Reused connections: https always, plain http when bKeepAlive is set; chunked pages.
#include "http/connection.h"
#include "http/file_download.h"
#include "http/page_fetch.h"
#include "net_fixture.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace {

class KeepAlive : public NetTest {
protected:
    SCANJOB job{};
    std::vector<char> page = std::vector<char>(kPageBufferSize);

    void TearDown() override
    {
        CloseIdleConnections();
        gSettings.bKeepAlive = 0;
        NetTest::TearDown();
    }

    int Fetch(int port, const std::string& path)
    {
        AddressRecord address = Address(port, path);
        return FetchPage(job.nStopMode, &address, page.data());
    }

    // What the scripted server recorded; asked over a connection of its own.
    std::string Recorded(const std::string& what)
    {
        CloseIdleConnections();
        return ScriptedText(what);
    }
};

TEST_F(KeepAlive, RequestsToOneServerShareAConnectionOnlyWhenAsked)
{
    for (int keep : {0, 1}) {
        SCOPED_TRACE(keep);
        gSettings.bKeepAlive = static_cast<uint8_t>(keep);
        std::string tag = "?k" + std::to_string(keep);
        EXPECT_EQ(Fetch(servers.scripted, "/ka/sized/100" + tag + "a"), 100);
        EXPECT_EQ(Fetch(servers.scripted, "/ka/sized/100" + tag + "b"), 100);
        // (The query is not part of a file's name: each round has a file of its own.)
        std::string file = "/ka/sized/" + std::to_string(5000 + keep);
        ASSERT_EQ(DownloadFile(&job, Address(servers.scripted, file + tag)), 1);
        EXPECT_EQ(ReadWholeFile(folder.File("127.0.0.1+ka+sized+" + std::to_string(5000 + keep))),
                  ScriptedBody(static_cast<size_t>(5000 + keep)));

        std::string a = Recorded("/_connection/ka/sized/100" + tag + "a");
        std::string b = Recorded("/_connection/ka/sized/100" + tag + "b");
        std::string c = Recorded("/_connection" + file + tag);
        EXPECT_EQ(a == b && b == c, keep == 1) << a << " " << b << " " << c;
        std::string request = Recorded("/_requests/ka/sized/100" + tag + "b");
        EXPECT_NE(request.find(keep ? "\r\nConnection: keep-alive\r\n" : "\r\nConnection: close\r\n"), std::string::npos)
            << request;
    }

    // nginx keeps them too: its log names each request's connection.
    auto logged = [this] {
        std::vector<std::string> connections;
        std::ifstream log(servers.root + "/../logs/reuse.log");
        for (std::string connection, rest; log >> connection && std::getline(log, rest);) connections.push_back(connection);
        return connections;
    };
    const size_t before = logged().size();
    gSettings.bKeepAlive = 1;
    EXPECT_GT(Fetch(servers.nginx, "/reuse/a.html"), 0);
    ASSERT_EQ(DownloadFile(&job, Address(servers.nginx, "/reuse/b.jpg")), 1);
    EXPECT_GT(Fetch(servers.nginx, "/reuse/a.html?again"), 0);
    EXPECT_EQ(ReadWholeFile(folder.File("127.0.0.1+reuse+b.jpg")), ReadWholeFile(servers.root + "/reuse/b.jpg"));
    // nginx writes a request's log line after its answer has gone, so the last may still come.
    std::vector<std::string> connections = logged();
    for (int tries = 0; tries < 200 && connections.size() < before + 3; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        connections = logged();
    }
    ASSERT_GE(connections.size(), before + 3);
    size_t last = connections.size() - 1;  // this run's three requests
    EXPECT_EQ(connections[last - 2], connections[last - 1]);
    EXPECT_EQ(connections[last - 1], connections[last]);
}

TEST_F(KeepAlive, AConnectionTheServerClosedCostsNoRequest)
{
    gSettings.bKeepAlive = 1;
    // Closed while idle: seen before the request is sent, which goes on a new connection.
    EXPECT_EQ(Fetch(servers.scripted, "/ka/close-idle"), 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_EQ(Fetch(servers.scripted, "/ka/sized/10?after-idle"), 10);
    EXPECT_NE(Recorded("/_connection/ka/close-idle"), Recorded("/_connection/ka/sized/10?after-idle"));

    // Closed under the request: sent once more on a new connection.
    std::string retried = "/ka/sized/10?retried" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    EXPECT_EQ(Fetch(servers.scripted, "/ka/drop-next"), 10);
    EXPECT_EQ(Fetch(servers.scripted, retried), 10);
    EXPECT_EQ(Recorded("/_count" + retried), "2");
}

TEST_F(KeepAlive, ChunkedPagesAreDecodedWithOrWithoutReuse)
{
    for (int keep : {0, 1}) {
        SCOPED_TRACE(keep);
        gSettings.bKeepAlive = static_cast<uint8_t>(keep);
        const std::string expected = "<a href=\"chunk-link.jpg\">x</a><a href=\"second.jpg\">y</a>";
        EXPECT_EQ(Fetch(servers.scripted, "/ka/chunked?" + std::to_string(keep)), static_cast<int>(expected.size()));
        EXPECT_EQ(std::string(page.data()), expected);
    }
}

TEST_F(KeepAlive, UnframedBodiesAndStopsCloseTheConnection)
{
    gSettings.bKeepAlive = 1;
    int handles = OpenHandleCount();
    // A body without a length ends with the connection: nothing is kept.
    EXPECT_EQ(Fetch(servers.scripted, "/no-length"), 100);
    EXPECT_EQ(OpenHandleCount(), handles);

    // A stop while the kept connection is idle: the next fetch on it keeps only the bytes that
    // came with the head, and the connection, left half read, is closed.
    EXPECT_GT(Fetch(servers.nginx, "/page.html"), 0);
#if !defined(_WIN32)
    EXPECT_EQ(OpenHandleCount(), handles + 1);  // the kept connection (Wine counts no socket handles)
#endif
    job.nStopMode = kStopImmediate;
    EXPECT_LT(Fetch(servers.nginx, "/big.html"), kReceiveChunk);
    EXPECT_EQ(OpenHandleCount(), handles);
    job.nStopMode = kStopNone;

    // A stop mid-body on a reused connection (600 KB at 100 KB/s) ends it at once.
    EXPECT_GT(Fetch(servers.nginx, "/page.html"), 0);
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        job.nStopMode = kStopImmediate;
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(DownloadFile(&job, Address(servers.nginx, "/slow/big.jpg")), 0);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(OpenHandleCount(), handles);
    EXPECT_TRUE(FolderFiles().empty());
    job.nStopMode = kStopNone;
    EXPECT_GT(Fetch(servers.nginx, "/page.html"), 0);
}

}  // namespace
