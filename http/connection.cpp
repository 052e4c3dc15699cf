#include "http/connection.h"

#include "engine/log_entry.h"
#include "http/failure.h"
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

bool OpenServerConnection(const AddressRecord& address, CONNECTION* connection)
{
    *connection = CONNECTION{};
    Socket socket = ConnectToHost(address.host, PortNumber(address.port));
    if (socket == 0) {
        ReportConnectFailure(address);
        return false;
    }
    if (!IsHttps(address)) {
        connection->socket = socket;
        return true;
    }
    TLSSESSION* session = nullptr;
    char detail[200];
    int outcome = TlsStart(socket, address.host, &session, detail, sizeof detail);
    if (outcome != kTlsOk) {
        CloseConnection(socket);
        char shown[kLinkTextSize];
        FormatAddress(address, shown, sizeof shown);
        if (outcome == kTlsUntrusted)
            LogFormat("Certificate not trusted ( %s )", shown);
        else if (outcome == kTlsNameMismatch)
            LogFormat("Certificate name mismatch ( %s )", shown);
        else
            LogFormat("TLS handshake failed ( %s )", shown);
        ReportTransfer(address, outcome == kTlsUntrusted      ? kCertificateUntrusted
                                : outcome == kTlsNameMismatch ? kCertificateNameMismatch
                                                              : kTlsHandshakeFailed);
        return false;
    }
    connection->socket = socket;
    connection->tls = session;
    return true;
}

int ConnectionSend(CONNECTION& connection, const char* data, int length)
{
    return connection.tls ? TlsSendAll(connection.tls, data, length) : SendAll(connection.socket, data, length);
}

int ConnectionReceive(CONNECTION& connection, char* buffer, int size)
{
    return connection.tls ? TlsReceive(connection.tls, buffer, size) : Receive(connection.socket, buffer, size);
}

void CloseServerConnection(CONNECTION& connection)
{
    TlsEnd(connection.tls);
    CloseConnection(connection.socket);
}

bool ConnectionReadable(CONNECTION& connection)
{
    return (connection.tls != nullptr && TlsPending(connection.tls) > 0) || SocketReadable(connection.socket);
}

namespace {

constexpr int kIdleSlots = 2;

struct IDLECONNECTION {
    CONNECTION connection;
    char server[kSchemeSize + kHostSize + kPortSize + 2];
};

// This thread's idle connections, newest last; closed when the thread ends.
struct IDLECACHE {
    IDLECONNECTION slots[kIdleSlots];
    int count = 0;
    ~IDLECACHE() { CloseIdleConnections(); }
};
thread_local IDLECACHE gIdle;

void ServerKey(const AddressRecord& address, char (&key)[sizeof IDLECONNECTION::server])
{
    std::snprintf(key, sizeof key, "%s %s %s", address.scheme, address.host, address.port);
}

}  // namespace

bool KeepsConnections(const AddressRecord& address)
{
    return IsHttps(address) || gSettings.bKeepAlive != 0;
}

bool TakeIdleConnection(const AddressRecord& address, CONNECTION* connection)
{
    char key[sizeof IDLECONNECTION::server];
    ServerKey(address, key);
    for (int i = 0; i < gIdle.count; ++i) {
        if (std::strcmp(gIdle.slots[i].server, key) != 0) continue;
        *connection = gIdle.slots[i].connection;
        for (int k = i + 1; k < gIdle.count; ++k) gIdle.slots[k - 1] = gIdle.slots[k];
        --gIdle.count;
        // An idle connection that has something to read was closed by the server (or is out
        // of step): it cannot carry a request.
        if (ConnectionReadable(*connection)) {
            CloseServerConnection(*connection);
            return false;
        }
        return true;
    }
    return false;
}

void KeepIdleConnection(const AddressRecord& address, CONNECTION& connection)
{
    CONNECTION older;
    if (TakeIdleConnection(address, &older)) CloseServerConnection(older);
    if (gIdle.count == kIdleSlots) {
        CloseServerConnection(gIdle.slots[0].connection);
        for (int k = 1; k < gIdle.count; ++k) gIdle.slots[k - 1] = gIdle.slots[k];
        --gIdle.count;
    }
    IDLECONNECTION& slot = gIdle.slots[gIdle.count++];
    ServerKey(address, slot.server);
    slot.connection = connection;
    connection = CONNECTION{};
}

void CloseIdleConnections()
{
    for (int i = 0; i < gIdle.count; ++i) CloseServerConnection(gIdle.slots[i].connection);
    gIdle.count = 0;
}
