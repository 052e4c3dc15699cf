// TLS through OpenSSL. One client context for the process: TLS 1.2 at least, peers verified
// against OpenSSL's default trust store (so SSL_CERT_FILE and SSL_CERT_DIR apply), plus any
// CA file added for the run.
#include "platform/tls.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

struct TLSSESSION {
    SSL* ssl;
};

namespace {

SSL_CTX* Context()
{
    static SSL_CTX* context = [] {
        SSL_CTX* c = SSL_CTX_new(TLS_client_method());
        if (c == nullptr) return c;
        SSL_CTX_set_min_proto_version(c, TLS1_2_VERSION);
        SSL_CTX_set_default_verify_paths(c);
        SSL_CTX_set_verify(c, SSL_VERIFY_PEER, nullptr);
        SSL_CTX_set_mode(c, SSL_MODE_AUTO_RETRY);
        return c;
    }();
    return context;
}

bool IsAddressLiteral(const char* host)
{
    in_addr v4;
    in6_addr v6;
    return inet_pton(AF_INET, host, &v4) == 1 || inet_pton(AF_INET6, host, &v6) == 1;
}

void Describe(char* detail, int size, const char* text)
{
    if (size > 0) std::snprintf(detail, static_cast<size_t>(size), "%s", text);
}

}  // namespace

int TlsStart(Socket socket, const char* host, TLSSESSION** session, char* detail, int detailSize)
{
    *session = nullptr;
    Describe(detail, detailSize, "");
    SSL_CTX* context = Context();
    SSL* ssl = context != nullptr ? SSL_new(context) : nullptr;
    if (ssl == nullptr) {
        Describe(detail, detailSize, "no TLS context");
        return kTlsFailed;
    }
    bool literal = IsAddressLiteral(host);
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl);
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    bool named = literal ? X509_VERIFY_PARAM_set1_ip_asc(param, host) == 1
                         : SSL_set_tlsext_host_name(ssl, host) == 1 && SSL_set1_host(ssl, host) == 1;
    ERR_clear_error();
    if (!named || SSL_set_fd(ssl, static_cast<int>(socket)) != 1) {
        SSL_free(ssl);
        Describe(detail, detailSize, "bad host name");
        return kTlsFailed;
    }
    if (SSL_connect(ssl) == 1) {
        *session = new TLSSESSION{ssl};
        return kTlsOk;
    }

    int outcome = kTlsFailed;
    long verify = SSL_get_verify_result(ssl);
    if (verify == X509_V_ERR_HOSTNAME_MISMATCH || verify == X509_V_ERR_IP_ADDRESS_MISMATCH) {
        outcome = kTlsNameMismatch;
        Describe(detail, detailSize, X509_verify_cert_error_string(verify));
    } else if (verify != X509_V_OK) {
        outcome = kTlsUntrusted;
        Describe(detail, detailSize, X509_verify_cert_error_string(verify));
    } else {
        unsigned long error = ERR_peek_last_error();
        if (error != 0)
            Describe(detail, detailSize, ERR_reason_error_string(error) ? ERR_reason_error_string(error) : "error");
        else
            Describe(detail, detailSize, errno == EAGAIN || errno == EWOULDBLOCK ? "timed out" : "connection closed");
    }
    ERR_clear_error();
    SSL_free(ssl);
    return outcome;
}

int TlsSendAll(TLSSESSION* session, const char* data, int length)
{
    int sent = 0;
    while (sent < length) {
        int n = SSL_write(session->ssl, data + sent, length - sent);
        if (n <= 0) {
            ERR_clear_error();
            return -1;
        }
        sent += n;
    }
    return length;
}

int TlsReceive(TLSSESSION* session, char* buffer, int size)
{
    int n = SSL_read(session->ssl, buffer, size);
    if (n <= 0) {
        ERR_clear_error();
        return SSL_get_error(session->ssl, n) == SSL_ERROR_ZERO_RETURN ? 0 : -1;
    }
    return n;
}

int TlsPending(TLSSESSION* session)
{
    return SSL_pending(session->ssl);
}

void TlsEnd(TLSSESSION*& session)
{
    if (session == nullptr) return;
    // Sends the close alert without waiting for the peer's.
    SSL_shutdown(session->ssl);
    ERR_clear_error();
    SSL_free(session->ssl);
    delete session;
    session = nullptr;
}

bool AddTrustedCaFile(const char* path)
{
    SSL_CTX* context = Context();
    bool ok = context != nullptr && SSL_CTX_load_verify_locations(context, path, nullptr) == 1;
    ERR_clear_error();
    return ok;
}
