#include "platform/net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

int ConnectReason(int error)
{
    switch (error) {
    case ECONNREFUSED: return kConnectRefused;
    case ETIMEDOUT: return kConnectTimedOut;
    case ENETUNREACH:
    case EHOSTUNREACH: return kConnectUnreachable;
    default: return kConnectOtherError;
    }
}

}  // namespace

int StartNetworking()
{
    std::signal(SIGPIPE, SIG_IGN);
    return 1;
}

void StopNetworking() {}

Socket ConnectToHost(const char* host, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    int error = getaddrinfo(host, nullptr, &hints, &result);
    if (error != 0 || result == nullptr) {
        NoteConnectFailure(kConnectNameNotResolved, error);
        return 0;
    }
    uint32_t address = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(result);
    return OpenConnection(address, port);
}

Socket OpenConnection(uint32_t address, int port)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        NoteConnectFailure(kConnectOtherError, errno);
        return 0;
    }
    if (fd == 0) {
        // 0 means "no connection" to every caller, so the socket may not live there.
        int moved = fcntl(fd, F_DUPFD_CLOEXEC, 1);
        close(fd);
        if (moved < 0) {
            NoteConnectFailure(kConnectOtherError, errno);
            return 0;
        }
        fd = moved;
    }
    int ms = ReceiveTimeoutMs();
    timeval timeout{ms / 1000, (ms % 1000) * 1000};
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<uint16_t>(port));
    peer.sin_addr.s_addr = address;
    if (setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0 ||
        connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        NoteConnectFailure(ConnectReason(errno), errno);
        close(fd);
        return 0;
    }
    return static_cast<Socket>(fd);
}

int SendAll(Socket socket, const char* data, int length)
{
    int sent = 0;
    while (sent < length) {
        ssize_t n = send(static_cast<int>(socket), data + sent, static_cast<size_t>(length - sent), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        sent += static_cast<int>(n);
    }
    return length;
}

int Receive(Socket socket, char* buffer, int size)
{
    for (;;) {
        ssize_t n = recv(static_cast<int>(socket), buffer, static_cast<size_t>(size), 0);
        if (n < 0 && errno == EINTR) continue;
        return static_cast<int>(n);
    }
}

bool SocketReadable(Socket socket)
{
    pollfd entry{static_cast<int>(socket), POLLIN, 0};
    return poll(&entry, 1, 0) != 0;
}

void CloseConnection(Socket& socket)
{
    if (socket == 0) return;
    close(static_cast<int>(socket));
    socket = 0;
}
