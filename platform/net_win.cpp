#include "platform/net.h"

#include <winsock2.h>
#include <ws2tcpip.h>


namespace {

int ConnectReason(int error)
{
    switch (error) {
    case WSAECONNREFUSED: return kConnectRefused;
    case WSAETIMEDOUT: return kConnectTimedOut;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH: return kConnectUnreachable;
    default: return kConnectOtherError;
    }
}

}  // namespace

int StartNetworking()
{
    WSADATA data;
    return WSAStartup(MAKEWORD(1, 1), &data) == 0 ? 1 : 0;
}

void StopNetworking()
{
    WSACleanup();
}

Socket ConnectToHost(const char* host, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &result) != 0 || result == nullptr) {
        NoteConnectFailure(kConnectNameNotResolved, WSAGetLastError());
        return 0;
    }
    uint32_t address = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(result);
    return OpenConnection(address, port);
}

Socket OpenConnection(uint32_t address, int port)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) {
        NoteConnectFailure(kConnectOtherError, WSAGetLastError());
        return 0;
    }
    DWORD timeout = static_cast<DWORD>(ReceiveTimeoutMs());
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<u_short>(port));
    peer.sin_addr.s_addr = address;
    if (setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout) != 0 ||
        connect(s, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        NoteConnectFailure(ConnectReason(WSAGetLastError()), WSAGetLastError());
        closesocket(s);
        return 0;
    }
    return static_cast<Socket>(s);
}

int SendAll(Socket socket, const char* data, int length)
{
    int sent = 0;
    while (sent < length) {
        int n = send(static_cast<SOCKET>(socket), data + sent, length - sent, 0);
        if (n == SOCKET_ERROR) return -1;
        sent += n;
    }
    return length;
}

int Receive(Socket socket, char* buffer, int size)
{
    return recv(static_cast<SOCKET>(socket), buffer, size, 0);
}

bool SocketReadable(Socket socket)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(static_cast<SOCKET>(socket), &readable);
    timeval now{0, 0};
    return select(0, &readable, nullptr, nullptr, &now) != 0;
}

void CloseConnection(Socket& socket)
{
    if (socket == 0) return;
    closesocket(static_cast<SOCKET>(socket));
    socket = 0;
}
