// One connection to a web server: its socket and, for https, its TLS session on top.
#pragma once

#include "http/address.h"
#include "platform/net.h"
#include "platform/tls.h"

// Empty when it holds no socket.
struct CONNECTION {
    Socket socket = 0;
    TLSSESSION* tls = nullptr;
};

// Connects to the address's host and port; for https it runs the TLS handshake as well, and
// a refused certificate or a failed handshake is logged as one line naming the address
// ("Certificate not trusted ( %s )", "Certificate name mismatch ( %s )", "TLS handshake
// failed ( %s )"). False, with nothing left open, when there is no connection.
bool OpenServerConnection(const AddressRecord& address, CONNECTION* connection);

// Sends all `length` bytes: `length` on success, -1 on an error.
int ConnectionSend(CONNECTION& connection, const char* data, int length);
// One receive of at most `size` bytes: the count, or 0 or less when the peer closed, an
// error happened or nothing came within the receive timeout.
int ConnectionReceive(CONNECTION& connection, char* buffer, int size);
// Ends the TLS session, if any, closes the socket and empties the record.
void CloseServerConnection(CONNECTION& connection);
// True when a receive would return at once: bytes already here, or the peer's close.
bool ConnectionReadable(CONNECTION& connection);

// Reused connections. Each thread keeps at most one idle connection per scheme, host and
// port (and at most two in all), and sends its next request to that server on it. https
// requests always reuse connections; plain http ones only when the setting bKeepAlive is 1.
bool KeepsConnections(const AddressRecord& address);
// Takes this thread's idle connection to the address's server out of its cache; false when
// there is none, or the one there has been closed meanwhile (it is then closed here too).
bool TakeIdleConnection(const AddressRecord& address, CONNECTION* connection);
// Keeps the connection for this thread's next request to the same server and empties the
// record; the oldest idle connection goes when there would be more than two.
void KeepIdleConnection(const AddressRecord& address, CONNECTION& connection);
// Closes every idle connection this thread keeps.
void CloseIdleConnections();
