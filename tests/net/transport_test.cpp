#include "http/page_fetch.h"
#include "http/response_head.h"
#include "net_fixture.h"

#include <cstring>

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

using Transport = NetTest;

#if !defined(_WIN32)
TEST_F(Transport, SocketIsNeverDescriptorZero)
{
    // With standard input closed, the next socket would be descriptor 0, which every caller
    // reads as "no connection".
    int saved = fcntl(0, F_DUPFD_CLOEXEC, 3);
    close(0);
    Socket socket = ConnectToHost("127.0.0.1", servers.scripted);
    bool zeroIsFree = fcntl(0, F_GETFD) == -1;
    if (saved >= 0) {
        dup2(saved, 0);
        close(saved);
    }
    EXPECT_NE(socket, 0);
    EXPECT_TRUE(zeroIsFree);
    const char request[] = "GET /empty HTTP/1.1\r\n\r\n";
    EXPECT_EQ(SendAll(socket, request, sizeof request - 1), static_cast<int>(sizeof request - 1));
    char head[kHeadBufferSize];
    char bodyStart[kReceiveChunk];
    int count = 0;
    CONNECTION connection{socket};
    EXPECT_EQ(ReadResponseHead(connection, head, bodyStart, &count), 1);
    CloseConnection(socket);
    EXPECT_EQ(socket, 0);
}
#endif

TEST_F(Transport, SendingToAClosedPeerFailsWithoutKillingTheProcess)
{
    Socket socket = ConnectToHost("localhost", servers.scripted);
    ASSERT_NE(socket, 0);
    const char request[] = "GET /empty HTTP/1.1\r\n\r\n";
    ASSERT_EQ(SendAll(socket, request, sizeof request - 1), static_cast<int>(sizeof request - 1));
    char head[kHeadBufferSize];
    char bodyStart[kReceiveChunk];
    int count = 0;
    CONNECTION connection{socket};
    ASSERT_EQ(ReadResponseHead(connection, head, bodyStart, &count), 1);
    char chunk[kReceiveChunk];
    EXPECT_EQ(Receive(socket, chunk, sizeof chunk), 0);  // the server has closed

    std::string block(64 * 1024, 'x');
    int result = 0;
    for (int i = 0; i < 200 && result != -1; ++i) result = SendAll(socket, block.data(), static_cast<int>(block.size()));
    EXPECT_EQ(result, -1);
    CloseConnection(socket);
}

TEST_F(Transport, PortTexts)
{
    struct Case {
        const char* text;
        int port;
    } cases[] = {{"80", 80}, {"8080", 8080}, {"", 0}, {"x1", 0}, {"12ab", 12}, {"65535", 65535}, {"65536", 0},
                 {"99999", 0}};
    for (const Case& c : cases) EXPECT_EQ(PortNumber(c.text), c.port) << c.text;
    EXPECT_EQ(OpenConnection(0x0100007F, 0), 0);  // port 0 takes no connection
}

}  // namespace
