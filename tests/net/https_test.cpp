// https end to end: page fetches, downloads and whole crawls over the platform's TLS against
// nginx and the scripted server with the test's certificates (host name localhost).
#include "crawl_fixture.h"
#include "http/file_download.h"
#include "http/page_fetch.h"

#include <chrono>
#include <thread>

namespace {

class Https : public CrawlTest {
protected:
    SCANJOB job{};
    char page[kPageBufferSize];

    static AddressRecord Secure(int port, const std::string& path)
    {
        AddressRecord record;
        ParseWholeAddress(("https://localhost:" + std::to_string(port) + path).c_str(), &record);
        return record;
    }

    // A whole crawl of an Image job.
    SCANJOB* Crawl(const std::string& address, int depth)
    {
        SCANJOB* started = StartJob(address, kFormatImage, depth);
        RunToEnd(started);
        return started;
    }
};

TEST_F(Https, SiteIsCrawledWithRelativeAndAbsoluteLinks)
{
    gSettings.nDownSizeLimit = 0;
    std::string start = "https://localhost:" + std::to_string(servers.tls) + "/tls/index.html";
    SCANJOB* crawled = Crawl(start, 2);
    EXPECT_EQ(crawled->nState.load(), kJobComplete);
    EXPECT_EQ(Saved(), (std::set<std::string>{"localhost+tls+t1.jpg", "localhost+tls+t2.jpg",
                                              "localhost+tls+sub+t3.jpg", "localhost+tls+t4.jpg"}));
    ExpectServedBytes();
    // The absolute links abs.html and sub/page.html went to the shared queue.
    EXPECT_EQ(crawled->nFound.load(), 2);
}

TEST_F(Https, HttpPagesLeadToHttps)
{
    gSettings.nDownSizeLimit = 0;
    // A redirect from http to https is followed, and the address becomes the https one.
    AddressRecord address = Address(servers.nginx, "/to-https");
    EXPECT_GT(FetchPage(job.nStopMode, &address, page), 0);
    EXPECT_STREQ(address.scheme, "https");
    EXPECT_STREQ(address.path, "/tls/index.html");
    EXPECT_NE(std::string(page).find("sub/page.html"), std::string::npos);
    // And back: an https page that redirects to http.
    address = Secure(servers.tls, "/to-http");
    EXPECT_GT(FetchPage(job.nStopMode, &address, page), 0);
    EXPECT_STREQ(address.scheme, "http");

    // An http page's https files are saved beside its own; one name for both schemes.
    Crawl("http://127.0.0.1:" + std::to_string(servers.nginx) + "/mixed/index.html", 0);
    EXPECT_EQ(Saved(), (std::set<std::string>{"localhost+tls+t1.jpg", "localhost+tls+t2.jpg",
                                              "127.0.0.1+mixed+local.jpg"}));
    ExpectServedBytes();
}

TEST_F(Https, RefusedCertificatesAreLoggedAndNothingIsSaved)
{
    struct Case {
        int port;
        const char* line;
        int outcome;
    } cases[] = {
        {servers.tlsWrongName, "Certificate name mismatch", kCertificateNameMismatch},
        {servers.tlsExpired, "Certificate not trusted", kCertificateUntrusted},
        {servers.tlsSelfSigned, "Certificate not trusted", kCertificateUntrusted},
        {servers.nginx, "TLS handshake failed", kTlsHandshakeFailed},  // plain http where TLS was expected
    };
    int handles = OpenHandleCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        AddressRecord address = Secure(c.port, "/files/size-5000.bin");
        EXPECT_EQ(DownloadFile(&job, address), 0);
        std::string shown = "https://localhost:" + std::to_string(c.port) + "/files/size-5000.bin";
        EXPECT_EQ(Recorded().logLines.back(), std::string(c.line) + " ( " + shown + " )");
        ASSERT_FALSE(Recorded().Failures().empty());
        EXPECT_EQ(Recorded().Failures().back().outcome, c.outcome);
        EXPECT_EQ(Recorded().Failures().back().address, shown);
        address = Secure(c.port, "/page.html");
        EXPECT_EQ(FetchPage(job.nStopMode, &address, page), 0);
    }
    EXPECT_EQ(OpenHandleCount(), handles);
    EXPECT_TRUE(FolderFiles().empty());
    EXPECT_EQ(job.nFiles.load(), 0);
}

TEST_F(Https, DownloadsResumeTimeOutAndStopOverTls)
{
    // A transfer that breaks off is resumed by range on a new TLS connection.
    ASSERT_EQ(DownloadFile(&job, Secure(servers.tlsScripted, "/break-206")), 1);
    EXPECT_EQ(ReadWholeFile(folder.File("localhost+break-206")), ScriptedBody(1000));

    // A server that goes silent mid-body ends the transfer within the receive timeout.
    SetReceiveTimeoutForTest(500);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(DownloadFile(&job, Secure(servers.tlsScripted, "/stall")), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    SetReceiveTimeoutForTest(0);

    // An immediate stop ends a TLS transfer (600 KB at 100 KB/s) at once and leaves no file.
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        job.nStopMode = kStopImmediate;
    });
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(DownloadFile(&job, Secure(servers.tls, "/slow/big.jpg")), 0);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(FolderFiles(), std::vector<std::string>{"localhost+break-206"});
}

}  // namespace
