// The platform's TLS against nginx and the scripted server with the test's certificates.
#include "net_fixture.h"
#include "platform/tls.h"

#include <chrono>
#include <string>

namespace {

using Tls = NetTest;
// Its tests add to the process's trust for good: CTest runs them in a process of their own.
using TlsCaFile = NetTest;

// One GET over a fresh TLS session: the outcome of the handshake and, when it worked, the
// whole answer.
int Get(int port, const char* host, const std::string& path, std::string* answer, std::string* detail = nullptr)
{
    Socket socket = ConnectToHost("127.0.0.1", port);
    if (socket == 0) return -1;
    TLSSESSION* session = nullptr;
    char why[200];
    int outcome = TlsStart(socket, host, &session, why, sizeof why);
    if (detail) *detail = why;
    if (outcome == kTlsOk) {
        std::string request = "GET " + path + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n";
        EXPECT_EQ(TlsSendAll(session, request.data(), static_cast<int>(request.size())),
                  static_cast<int>(request.size()));
        char chunk[kReceiveChunk];
        for (int n; (n = TlsReceive(session, chunk, sizeof chunk)) > 0;) answer->append(chunk, static_cast<size_t>(n));
        TlsEnd(session);
        EXPECT_EQ(session, nullptr);
    } else {
        EXPECT_EQ(session, nullptr);
    }
    CloseConnection(socket);
    return outcome;
}

TEST_F(Tls, VerifiedSessionCarriesAWholeBody)
{
    std::string answer;
    ASSERT_EQ(Get(servers.tls, "localhost", "/files/size-65536.bin", &answer), kTlsOk);
    std::string body = ReadWholeFile(servers.root + "/files/size-65536.bin");
    ASSERT_GT(answer.size(), body.size());
    EXPECT_EQ(answer.substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_EQ(answer.substr(answer.size() - body.size()), body);
    // The certificate also names the address itself.
    answer.clear();
    EXPECT_EQ(Get(servers.tls, "127.0.0.1", "/page.html", &answer), kTlsOk);
}

TEST_F(Tls, BadCertificatesAreRefusedWithTheirReason)
{
    struct Case {
        int port;
        const char* host;
        int outcome;
    } cases[] = {
        {servers.tlsWrongName, "localhost", kTlsNameMismatch},
        {servers.tls, "other.localhost", kTlsNameMismatch},
        {servers.tlsExpired, "localhost", kTlsUntrusted},
        {servers.tlsSelfSigned, "localhost", kTlsUntrusted},
        {servers.tlsUnknownCa, "localhost", kTlsUntrusted},  // a chain that reaches no root at all
        {servers.nginx, "localhost", kTlsFailed},  // plain http on the other end
    };
    int handles = OpenHandleCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        std::string answer, detail;
        EXPECT_EQ(Get(c.port, c.host, "/page.html", &answer, &detail), c.outcome);
        EXPECT_TRUE(answer.empty());
        EXPECT_FALSE(detail.empty());
    }
    EXPECT_EQ(OpenHandleCount(), handles);
}

TEST_F(Tls, SilenceEndsAReceiveWithinTheTimeout)
{
    SetReceiveTimeoutForTest(500);
    std::string answer;
    EXPECT_EQ(Get(servers.tlsScripted, "localhost", "/silence", &answer), kTlsOk);
    EXPECT_TRUE(answer.empty());
    // And a silent handshake fails as a handshake.
    Socket socket = ConnectToHost("127.0.0.1", servers.scripted);
    ASSERT_NE(socket, 0);
    TLSSESSION* session = nullptr;
    char why[200];
    EXPECT_EQ(TlsStart(socket, "localhost", &session, why, sizeof why), kTlsFailed);
    CloseConnection(socket);
}

TEST_F(TlsCaFile, ACaFileIsTrustedBesideTheStore)
{
    std::string certs = servers.ca.substr(0, servers.ca.find_last_of("/\\") + 1);
    std::string answer;
    ASSERT_EQ(Get(servers.tlsUnknownCa, "localhost", "/page.html", &answer), kTlsUntrusted);
    EXPECT_FALSE(AddTrustedCaFile((certs + "missing.pem").c_str()));
    EXPECT_FALSE(AddTrustedCaFile((certs + "unknownca.key").c_str()));  // PEM, but no certificate in it
    ASSERT_TRUE(AddTrustedCaFile((certs + "unknown-ca.pem").c_str()));
    EXPECT_EQ(Get(servers.tlsUnknownCa, "localhost", "/page.html", &answer), kTlsOk);
    EXPECT_EQ(answer.substr(0, 15), "HTTP/1.1 200 OK");
    // The name is still checked, and the rest of the store still counts.
    EXPECT_EQ(Get(servers.tlsUnknownCa, "other.localhost", "/page.html", &answer), kTlsNameMismatch);
    EXPECT_EQ(Get(servers.tls, "localhost", "/page.html", &answer), kTlsOk);
}

TEST_F(Tls, ThePeersCloseAlertEndsTheDataAtOnce)
{
    // The server waits for our own alert before it closes, so only the alert itself can end
    // the body before the receive timeout.
    SetReceiveTimeoutForTest(5000);
    auto start = std::chrono::steady_clock::now();
    std::string answer;
    ASSERT_EQ(Get(servers.tlsScripted, "localhost", "/close-alert", &answer), kTlsOk);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    std::string body = ScriptedBody(3000);
    ASSERT_GT(answer.size(), body.size());
    EXPECT_EQ(answer.substr(answer.size() - body.size()), body);
}

}  // namespace
