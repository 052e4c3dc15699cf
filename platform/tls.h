// TLS over a connected socket, through the platform's own implementation: Schannel (SSPI)
// on Windows, OpenSSL elsewhere. TLS 1.2 and 1.3 only, the host name sent (SNI) and checked
// against the certificate, the chain verified against the system's trust store. There is no
// way to switch verification off. No platform header is included here.
#pragma once

#include "platform/net.h"

struct TLSSESSION;

enum TlsOutcome : int {
    kTlsOk = 0,
    kTlsUntrusted = 1,     // the chain does not end at a trusted root, or a certificate expired
    kTlsNameMismatch = 2,  // trusted, but issued for another name
    kTlsFailed = 3,        // any other failure of the handshake (protocol, close, timeout)
};

// Runs the client handshake for `host` on `socket`. On kTlsOk `*session` holds the session;
// on any other outcome nothing is left allocated and `*session` is nullptr. The socket stays
// the caller's to close either way. `detail` receives a short reason in words (may be empty).
int TlsStart(Socket socket, const char* host, TLSSESSION** session, char* detail, int detailSize);

// Sends all `length` bytes: `length` on success, -1 on an error.
int TlsSendAll(TLSSESSION* session, const char* data, int length);

// One receive of at most `size` bytes of application data: the count, or 0 or less when the
// peer closed, an error happened or nothing came within the socket's receive timeout.
int TlsReceive(TLSSESSION* session, char* buffer, int size);

// Application bytes already decrypted and waiting to be received (0 when none).
int TlsPending(TLSSESSION* session);

// Ends the session (a close alert is sent where the connection still allows it) and frees
// it; sets it to nullptr. The socket is not closed.
void TlsEnd(TLSSESSION*& session);

// Trusts the CA certificates of a PEM file beside the system's store, for this process
// (the command line's --ca-file). False when the file cannot be read or holds none.
bool AddTrustedCaFile(const char* path);
