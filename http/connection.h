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
