// Blocking TCP sockets, one Win32 and one POSIX side. No platform header is included here.
#pragma once

#include <cstdint>

// A connected socket. 0 means no connection in every result; a POSIX socket that would
// be descriptor 0 (standard input closed) is moved to another descriptor first.
using Socket = intptr_t;

inline constexpr int kReceiveChunk = 1460;  // every receive asks for at most this many bytes
inline constexpr int kReceiveTimeoutMs = 20000;

// Starts the socket library once (Winsock 1.1 requested); 1 on success, 0 on failure.
// On POSIX it also makes sure a closed peer can never kill the process with SIGPIPE.
int StartNetworking();
void StopNetworking();

// Resolves `host` (thread-safe; the first IPv4 address) and connects.
Socket ConnectToHost(const char* host, int port);
// Connects to an IPv4 address given in network byte order.
Socket OpenConnection(uint32_t address, int port);
// Sends all `length` bytes: `length` on success, -1 on a send error.
int SendAll(Socket socket, const char* data, int length);
// One receive of at most `size` bytes: the count, or 0 or less when the peer closed, an
// error happened or nothing came within the receive timeout.
int Receive(Socket socket, char* buffer, int size);
// True when a receive on the socket would return at once (bytes, or the peer's close),
// without waiting. An idle connection that is readable has been closed or is out of step.
bool SocketReadable(Socket socket);
// Closes the socket if there is one and sets it to 0.
void CloseConnection(Socket& socket);

// Why this thread's last ConnectToHost or OpenConnection gave no connection.
enum ConnectFailure : int {
    kConnectNameNotResolved = 1,
    kConnectRefused,
    kConnectTimedOut,
    kConnectUnreachable,
    kConnectOtherError,
};
// The reason (ConnectFailure) and the system's error code of this thread's last failed connect.
int LastConnectFailure(int* code);
// Called by both sides of the transport when a connect fails.
void NoteConnectFailure(int reason, int code);

// The receive timeout in force for new sockets (used by both sides of the transport).
int ReceiveTimeoutMs();

// Tests only: a shorter receive timeout for sockets opened from now on; 0 restores 20 seconds.
void SetReceiveTimeoutForTest(int milliseconds);

// The decimal value of a port text: leading digits only, text without digits gives 0.
int PortNumber(const char* text);
