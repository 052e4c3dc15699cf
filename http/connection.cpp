#include "http/connection.h"

#include "engine/log_entry.h"
#include "http/failure.h"

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
