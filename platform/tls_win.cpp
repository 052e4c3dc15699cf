// TLS through Schannel (SSPI) over the blocking socket. One client credential for the
// process: TLS 1.2 and 1.3 where the system has them, no client certificate. Schannel is
// told to leave the server's certificate alone; it is checked here instead, so that each
// failure has its own outcome and a CA file added for the run can be trusted too: the chain
// is built by the system against its trust store (plus the added CAs as candidates), then
// the system's SSL policy checks it with the host name.
#include "platform/tls.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <winternl.h>
#define SECURITY_WIN32
#define SCHANNEL_USE_BLACKLISTS  // declares the newer credential record, SCH_CREDENTIALS
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

struct TLSSESSION {
    SOCKET socket;
    CtxtHandle context;
    SecPkgContext_StreamSizes sizes;
    std::vector<char> incoming;  // received bytes not yet decrypted
    std::string plain;           // decrypted bytes not yet handed out
    size_t plainStart;
    std::string hostName;
    std::wstring host;
    bool ended;   // the peer's close alert came: nothing more to read
    bool broken;  // the connection failed: nothing more to read, no close alert to send
};

namespace {

// A peer's single record or handshake flight never needs more than this.
constexpr size_t kIncomingLimit = 1 << 20;

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION |
                                ISC_REQ_USE_SUPPLIED_CREDS | ISC_REQ_EXTENDED_ERROR;

// The SSL policy's own flags (as the Internet headers name them) for checks to skip.
constexpr DWORD kIgnoreUnknownCa = 0x00000100;
constexpr DWORD kIgnoreNameMismatch = 0x00001000;

std::mutex gCaLock;
HCERTSTORE gAddedCas = nullptr;  // CAs from files added for the run; guarded by gCaLock

void Describe(char* detail, int size, const char* text)
{
    if (size > 0) std::snprintf(detail, static_cast<size_t>(size), "%s", text);
}

const char* StatusText(SECURITY_STATUS status)
{
    switch (status) {
    case SEC_E_ILLEGAL_MESSAGE: return "the peer's message was not understood";
    case SEC_E_ALGORITHM_MISMATCH: return "no protocol version or cipher in common";
    case SEC_E_UNSUPPORTED_FUNCTION: return "protocol not supported";
    case SEC_E_MESSAGE_ALTERED: return "a message was altered";
    case SEC_E_DECRYPT_FAILURE: return "a message could not be decrypted";
    case SEC_E_INVALID_TOKEN: return "invalid handshake data";
    case SEC_E_WRONG_PRINCIPAL: return "the name does not match";
    case SEC_E_CERT_EXPIRED: return "certificate expired";
    case SEC_E_UNTRUSTED_ROOT: return "untrusted root";
    case SEC_E_INTERNAL_ERROR: return "internal error of the TLS layer";
    case SEC_E_INSUFFICIENT_MEMORY: return "out of memory";
    default: return "error";
    }
}

void DescribeStatus(char* detail, int size, SECURITY_STATUS status)
{
    const char* text = StatusText(status);
    if (size <= 0) return;
    if (std::strcmp(text, "error") == 0)
        std::snprintf(detail, static_cast<size_t>(size), "error 0x%08lx", static_cast<unsigned long>(status));
    else
        Describe(detail, size, text);
}

// The process's credential, acquired on first use and kept for the process's life.
CredHandle* Credential()
{
    static CredHandle credential;
    static bool acquired = [] {
        TimeStamp expiry;
        DWORD flags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
        // Systems that know TLS 1.3 take the newer record, which names what to switch off.
        TLS_PARAMETERS parameters{};
        parameters.grbitDisabledProtocols =
            SP_PROT_SSL2_CLIENT | SP_PROT_SSL3_CLIENT | SP_PROT_TLS1_0_CLIENT | SP_PROT_TLS1_1_CLIENT;
        SCH_CREDENTIALS current{};
        current.dwVersion = SCH_CREDENTIALS_VERSION;
        current.dwFlags = flags;
        current.cTlsParameters = 1;
        current.pTlsParameters = &parameters;
        SECURITY_STATUS status =
            AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr,
                                      &current, nullptr, nullptr, &credential, &expiry);
        if (status == SEC_E_OK) return true;
        // Older systems: the classic record, TLS 1.2 only.
        SCHANNEL_CRED classic{};
        classic.dwVersion = SCHANNEL_CRED_VERSION;
        classic.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
        classic.dwFlags = flags;
        status = AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND,
                                           nullptr, &classic, nullptr, nullptr, &credential, &expiry);
        return status == SEC_E_OK;
    }();
    return acquired ? &credential : nullptr;
}

std::wstring Wide(const char* text)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

// The address bytes of a numeric host (4 or 16), or 0 for a name.
int AddressLiteral(const char* host, unsigned char* bytes)
{
    if (inet_pton(AF_INET, host, bytes) == 1) return 4;
    if (inet_pton(AF_INET6, host, bytes) == 1) return 16;
    return 0;
}

// True when the certificate's alternative names list the address.
bool NamesAddress(PCCERT_CONTEXT certificate, const unsigned char* address, int length)
{
    PCERT_EXTENSION extension = CertFindExtension(szOID_SUBJECT_ALT_NAME2, certificate->pCertInfo->cExtension,
                                                  certificate->pCertInfo->rgExtension);
    if (extension == nullptr) return false;
    CERT_ALT_NAME_INFO* names = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData, extension->Value.cbData,
                             CRYPT_DECODE_ALLOC_FLAG, nullptr, &names, &size))
        return false;
    bool found = false;
    for (DWORD i = 0; i < names->cAltEntry && !found; ++i) {
        const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
        found = entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS &&
                entry.IPAddress.cbData == static_cast<DWORD>(length) &&
                std::memcmp(entry.IPAddress.pbData, address, static_cast<size_t>(length)) == 0;
    }
    LocalFree(names);
    return found;
}

// The SSL policy's verdict on the chain for `host`; `extraChecks` are checks to skip.
DWORD PolicyStatus(PCCERT_CHAIN_CONTEXT chain, const std::wstring& host, DWORD extraChecks, DWORD policyFlags)
{
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.fdwChecks = extraChecks;
    ssl.pwszServerName = const_cast<wchar_t*>(host.c_str());
    CERT_CHAIN_POLICY_PARA para{};
    para.cbSize = sizeof para;
    para.dwFlags = policyFlags;
    para.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &para, &status))
        return static_cast<DWORD>(CERT_E_CHAINING);
    return status.dwError;
}

// True when the chain's root is one of the `added` CAs.
bool RootIsAdded(PCCERT_CHAIN_CONTEXT chain, HCERTSTORE added)
{
    if (added == nullptr || chain->cChain == 0) return false;
    const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
    if (simple->cElement == 0) return false;
    PCCERT_CONTEXT root = simple->rgpElement[simple->cElement - 1]->pCertContext;
    PCCERT_CONTEXT found = CertFindCertificateInStore(added, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, root, nullptr);
    if (found == nullptr) return false;
    CertFreeCertificateContext(found);
    return true;
}

const char* CertificateErrorText(DWORD error)
{
    switch (error) {
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT): return "the chain ends at an untrusted root";
    case static_cast<DWORD>(CERT_E_CHAINING): return "no chain to a trusted root";
    case static_cast<DWORD>(CERT_E_EXPIRED): return "certificate expired or not yet valid";
    case static_cast<DWORD>(CERT_E_VALIDITYPERIODNESTING): return "validity periods do not nest";
    case static_cast<DWORD>(CERT_E_WRONG_USAGE): return "certificate not for server authentication";
    case static_cast<DWORD>(CERT_E_REVOKED): return "certificate revoked";
    case static_cast<DWORD>(TRUST_E_CERT_SIGNATURE): return "bad certificate signature";
    case static_cast<DWORD>(TRUST_E_BASIC_CONSTRAINTS): return "an issuer is not a CA";
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH): return "certificate issued for another name";
    default: return "certificate not accepted";
    }
}

// The fault the chain's own trust status shows, as a certificate error code; 0 for none.
// Checked here and not only by the policy, since not every system's policy looks at every
// bit (a chain that reaches no root at all must never pass).
DWORD ChainError(PCCERT_CHAIN_CONTEXT chain, bool rootAdded)
{
    DWORD status = chain->TrustStatus.dwErrorStatus;
    // Revocation is not asked for; nested validity periods are no fault for TLS.
    status &= ~static_cast<DWORD>(CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION |
                                  CERT_TRUST_IS_NOT_TIME_NESTED);
    if (rootAdded) status &= ~static_cast<DWORD>(CERT_TRUST_IS_UNTRUSTED_ROOT);
    if (status == 0) return 0;
    if (status & CERT_TRUST_IS_PARTIAL_CHAIN) return static_cast<DWORD>(CERT_E_CHAINING);
    if (status & CERT_TRUST_IS_UNTRUSTED_ROOT) return static_cast<DWORD>(CERT_E_UNTRUSTEDROOT);
    if (status & CERT_TRUST_IS_NOT_TIME_VALID) return static_cast<DWORD>(CERT_E_EXPIRED);
    if (status & CERT_TRUST_IS_NOT_SIGNATURE_VALID) return static_cast<DWORD>(TRUST_E_CERT_SIGNATURE);
    if (status & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) return static_cast<DWORD>(CERT_E_WRONG_USAGE);
    if (status & CERT_TRUST_IS_REVOKED) return static_cast<DWORD>(CERT_E_REVOKED);
    if (status & CERT_TRUST_INVALID_BASIC_CONSTRAINTS) return static_cast<DWORD>(TRUST_E_BASIC_CONSTRAINTS);
    return static_cast<DWORD>(TRUST_E_FAIL);
}

// Checks the server's certificate of a finished handshake: kTlsOk or the outcome of the fault.
int VerifyPeer(TLSSESSION* session, char* detail, int detailSize)
{
    PCCERT_CONTEXT certificate = nullptr;
    if (QueryContextAttributesW(&session->context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK ||
        certificate == nullptr) {
        Describe(detail, detailSize, "no server certificate");
        return kTlsFailed;
    }
    // The lock is not held while the chain is built: that may take the system a while.
    HCERTSTORE added = nullptr;
    {
        std::lock_guard<std::mutex> lock(gCaLock);
        if (gAddedCas != nullptr) added = CertDuplicateStore(gAddedCas);
    }
    // The peer's own intermediates and the added CAs are candidates while the chain is built.
    HCERTSTORE candidates = CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr);
    if (candidates != nullptr) {
        CertAddStoreToCollection(candidates, certificate->hCertStore, 0, 0);
        if (added != nullptr) CertAddStoreToCollection(candidates, added, 0, 0);
    }
    LPSTR usages[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    bool built = CertGetCertificateChain(nullptr, certificate, nullptr,
                                         candidates != nullptr ? candidates : certificate->hCertStore, &para, 0,
                                         nullptr, &chain) != FALSE;
    int outcome = kTlsFailed;
    if (!built) {
        Describe(detail, detailSize, "the certificate chain could not be built");
    } else {
        bool rootAdded = RootIsAdded(chain, added);
        unsigned char address[16];
        int addressLength = AddressLiteral(session->hostName.c_str(), address);
        DWORD error = ChainError(chain, rootAdded);
        if (error == 0) {
            // An address is matched against the certificate's address entries below, the same
            // way on every system; a name is left to the policy.
            DWORD checks = (addressLength > 0 ? kIgnoreNameMismatch : 0) | (rootAdded ? kIgnoreUnknownCa : 0);
            error = PolicyStatus(chain, session->host, checks, rootAdded ? CERT_CHAIN_POLICY_ALLOW_UNKNOWN_CA_FLAG : 0);
        }
        if (error == 0 && addressLength > 0 && !NamesAddress(certificate, address, addressLength))
            error = static_cast<DWORD>(CERT_E_CN_NO_MATCH);
        if (error == 0) {
            outcome = kTlsOk;
        } else {
            outcome = error == static_cast<DWORD>(CERT_E_CN_NO_MATCH) ? kTlsNameMismatch : kTlsUntrusted;
            Describe(detail, detailSize, CertificateErrorText(error));
        }
        CertFreeCertificateChain(chain);
    }
    if (candidates != nullptr) CertCloseStore(candidates, 0);
    if (added != nullptr) CertCloseStore(added, 0);
    CertFreeCertificateContext(certificate);
    return outcome;
}

bool SendToken(SOCKET socket, const SecBuffer& token)
{
    if (token.pvBuffer == nullptr || token.cbBuffer == 0) return true;
    return SendAll(static_cast<Socket>(socket), static_cast<const char*>(token.pvBuffer),
                   static_cast<int>(token.cbBuffer)) == static_cast<int>(token.cbBuffer);
}

// Appends what one receive brings to the incoming bytes: the count, or 0 or less.
int ReceiveMore(TLSSESSION* session)
{
    std::vector<char>& in = session->incoming;
    if (in.size() >= kIncomingLimit) return -1;
    size_t used = in.size();
    in.resize(used + 16384);
    int n = recv(session->socket, in.data() + used, 16384, 0);
    in.resize(used + static_cast<size_t>(n > 0 ? n : 0));
    return n;
}

// Keeps only the trailing `extra` bytes of the incoming bytes (those not yet consumed).
void KeepExtra(TLSSESSION* session, const SecBuffer& buffer)
{
    std::vector<char>& in = session->incoming;
    if (buffer.BufferType == SECBUFFER_EXTRA && buffer.cbBuffer > 0 && buffer.cbBuffer <= in.size())
        in.erase(in.begin(), in.end() - static_cast<std::ptrdiff_t>(buffer.cbBuffer));
    else
        in.clear();
}

// Drives the handshake (the first one, or one the peer asks for later) until the context is
// complete, starting from the bytes already received. SEC_E_OK on success.
SECURITY_STATUS Handshake(TLSSESSION* session, bool haveContext, bool* contextMade, char* detail, int detailSize)
{
    int credentialRequests = 0;
    for (bool first = true;; first = false) {
        // A renegotiation's first call takes what the decryption left, even nothing.
        if (!first && session->incoming.empty()) {
            int n = ReceiveMore(session);
            if (n <= 0) {
                Describe(detail, detailSize, n == 0 ? "connection closed" : "no answer in time");
                return SEC_E_INCOMPLETE_MESSAGE;
            }
        }
        SecBuffer inBuffers[2] = {};
        inBuffers[0].BufferType = SECBUFFER_TOKEN;
        inBuffers[0].pvBuffer = session->incoming.data();
        inBuffers[0].cbBuffer = static_cast<unsigned long>(session->incoming.size());
        inBuffers[1].BufferType = SECBUFFER_EMPTY;
        SecBufferDesc inDesc{SECBUFFER_VERSION, 2, inBuffers};
        SecBuffer outBuffer{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &outBuffer};
        ULONG attributes = 0;
        SECURITY_STATUS status = InitializeSecurityContextW(
            Credential(), haveContext ? &session->context : nullptr, const_cast<wchar_t*>(session->host.c_str()),
            kContextFlags, 0, 0, haveContext ? &inDesc : nullptr, 0, &session->context, &outDesc, &attributes, nullptr);
        if (!haveContext && (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_OK)) {
            haveContext = true;
            *contextMade = true;
        }
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            if (outBuffer.pvBuffer != nullptr) FreeContextBuffer(outBuffer.pvBuffer);
            int n = ReceiveMore(session);
            if (n <= 0) {
                Describe(detail, detailSize, n == 0 ? "connection closed" : "no answer in time");
                return SEC_E_INCOMPLETE_MESSAGE;
            }
            continue;
        }
        // Tokens come with success and with some failures (an alert for the peer).
        bool sent = SendToken(session->socket, outBuffer);
        if (outBuffer.pvBuffer != nullptr) FreeContextBuffer(outBuffer.pvBuffer);
        if (status == SEC_E_OK) {
            if (haveContext) KeepExtra(session, inBuffers[1]);
            return SEC_E_OK;
        }
        // Asked for a client certificate: go on without one, on the same input.
        if (status == SEC_I_INCOMPLETE_CREDENTIALS && ++credentialRequests <= 2) continue;
        if (status != SEC_I_CONTINUE_NEEDED || !sent) {
            if (!sent)
                Describe(detail, detailSize, "connection closed");
            else
                DescribeStatus(detail, detailSize, status);
            return status == SEC_I_CONTINUE_NEEDED ? SEC_E_INTERNAL_ERROR : status;
        }
        if (haveContext) KeepExtra(session, inBuffers[1]);
    }
}

void FreeSession(TLSSESSION* session, bool haveContext)
{
    if (haveContext) DeleteSecurityContext(&session->context);
    delete session;
}

}  // namespace

int TlsStart(Socket socket, const char* host, TLSSESSION** session, char* detail, int detailSize)
{
    *session = nullptr;
    Describe(detail, detailSize, "");
    if (Credential() == nullptr) {
        Describe(detail, detailSize, "no TLS on this system");
        return kTlsFailed;
    }
    TLSSESSION* s = new TLSSESSION{};
    s->socket = static_cast<SOCKET>(socket);
    s->hostName = host;
    s->host = Wide(host);
    if (s->host.empty()) {
        delete s;
        Describe(detail, detailSize, "bad host name");
        return kTlsFailed;
    }
    bool haveContext = false;
    if (Handshake(s, false, &haveContext, detail, detailSize) != SEC_E_OK) {
        FreeSession(s, haveContext);
        return kTlsFailed;
    }
    int outcome = VerifyPeer(s, detail, detailSize);
    if (outcome == kTlsOk &&
        QueryContextAttributesW(&s->context, SECPKG_ATTR_STREAM_SIZES, &s->sizes) != SEC_E_OK) {
        Describe(detail, detailSize, "no stream sizes");
        outcome = kTlsFailed;
    }
    if (outcome != kTlsOk) {
        FreeSession(s, true);
        return outcome;
    }
    *session = s;
    return kTlsOk;
}

int TlsSendAll(TLSSESSION* session, const char* data, int length)
{
    if (session->broken) return -1;
    const SecPkgContext_StreamSizes& sizes = session->sizes;
    std::vector<char> record(sizes.cbHeader + sizes.cbMaximumMessage + sizes.cbTrailer);
    int sent = 0;
    while (sent < length) {
        unsigned long part = static_cast<unsigned long>(length - sent);
        if (part > sizes.cbMaximumMessage) part = sizes.cbMaximumMessage;
        std::memcpy(record.data() + sizes.cbHeader, data + sent, part);
        SecBuffer buffers[4] = {
            {sizes.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
            {part, SECBUFFER_DATA, record.data() + sizes.cbHeader},
            {sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes.cbHeader + part},
            {0, SECBUFFER_EMPTY, nullptr},
        };
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        if (EncryptMessage(&session->context, 0, &desc, 0) != SEC_E_OK) return -1;
        // The trailer may come out shorter than its room; the parts stay in order.
        int total = static_cast<int>(buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
        if (SendAll(static_cast<Socket>(session->socket), record.data(), total) != total) {
            session->broken = true;
            return -1;
        }
        sent += static_cast<int>(part);
    }
    return length;
}

int TlsReceive(TLSSESSION* session, char* buffer, int size)
{
    while (session->plainStart >= session->plain.size()) {
        session->plain.clear();
        session->plainStart = 0;
        if (session->ended) return 0;
        if (session->broken) return -1;
        SecBuffer buffers[4] = {};
        buffers[0].BufferType = SECBUFFER_DATA;
        buffers[0].pvBuffer = session->incoming.data();
        buffers[0].cbBuffer = static_cast<unsigned long>(session->incoming.size());
        for (int i = 1; i < 4; ++i) buffers[i].BufferType = SECBUFFER_EMPTY;
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        // The record's content type, readable before decryption up to TLS 1.2 (21: an alert).
        bool alert = !session->incoming.empty() && session->incoming[0] == 21;
        SECURITY_STATUS status = session->incoming.empty() ? SEC_E_INCOMPLETE_MESSAGE
                                                           : DecryptMessage(&session->context, &desc, 0, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            bool boundary = session->incoming.empty();
            int n = ReceiveMore(session);
            if (n <= 0) {
                // A close between records is the peer's end, one inside a record an error.
                if (n == 0 && boundary) {
                    session->ended = true;
                    return 0;
                }
                session->broken = true;
                return -1;
            }
            continue;
        }
        if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE && status != SEC_I_CONTEXT_EXPIRED) {
            session->broken = true;
            return -1;
        }
        // Decryption happens in place: the data and any extra bytes lie inside `incoming`.
        const SecBuffer* extra = nullptr;
        for (const SecBuffer& b : buffers) {
            if (b.BufferType == SECBUFFER_DATA && b.cbBuffer > 0)
                session->plain.assign(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
            if (b.BufferType == SECBUFFER_EXTRA && b.cbBuffer > 0) extra = &b;
        }
        if (extra != nullptr)
            KeepExtra(session, *extra);
        else
            session->incoming.clear();
        // The peer's close alert ends the data. Some systems take it without saying so, as an
        // empty record; waiting on would only end at the receive timeout.
        if (status == SEC_I_CONTEXT_EXPIRED || (status == SEC_E_OK && alert && session->plain.empty())) {
            session->ended = true;
        } else if (status == SEC_I_RENEGOTIATE) {
            // The peer starts a handshake (TLS 1.3 sends its tickets and key updates this way);
            // it runs on the bytes that followed, and the stream goes on after it.
            bool made = false;
            char why[100];
            if (Handshake(session, true, &made, why, sizeof why) != SEC_E_OK ||
                QueryContextAttributesW(&session->context, SECPKG_ATTR_STREAM_SIZES, &session->sizes) != SEC_E_OK) {
                session->broken = true;
                return -1;
            }
        }
    }
    size_t available = session->plain.size() - session->plainStart;
    size_t n = available < static_cast<size_t>(size) ? available : static_cast<size_t>(size);
    std::memcpy(buffer, session->plain.data() + session->plainStart, n);
    session->plainStart += n;
    return static_cast<int>(n);
}

int TlsPending(TLSSESSION* session)
{
    // Decrypted bytes not yet handed out, and received bytes not yet decrypted, both mean
    // there is something to read.
    size_t waiting = session->plain.size() - session->plainStart + session->incoming.size();
    return waiting > 0x7fffffff ? 0x7fffffff : static_cast<int>(waiting);
}

void TlsEnd(TLSSESSION*& session)
{
    if (session == nullptr) return;
    if (!session->broken) {
        // Sends the close alert without waiting for the peer's.
        DWORD type = SCHANNEL_SHUTDOWN;
        SecBuffer control{sizeof type, SECBUFFER_TOKEN, &type};
        SecBufferDesc controlDesc{SECBUFFER_VERSION, 1, &control};
        if (ApplyControlToken(&session->context, &controlDesc) == SEC_E_OK) {
            SecBuffer outBuffer{0, SECBUFFER_TOKEN, nullptr};
            SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &outBuffer};
            ULONG attributes = 0;
            SECURITY_STATUS status = InitializeSecurityContextW(Credential(), &session->context, nullptr, kContextFlags, 0, 0,
                                                                nullptr, 0, &session->context, &outDesc, &attributes, nullptr);
            if (!FAILED(status)) SendToken(session->socket, outBuffer);
            if (outBuffer.pvBuffer != nullptr) FreeContextBuffer(outBuffer.pvBuffer);
        }
    }
    DeleteSecurityContext(&session->context);
    delete session;
    session = nullptr;
}

bool AddTrustedCaFile(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    std::string text;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
    std::fclose(file);

    std::lock_guard<std::mutex> lock(gCaLock);
    if (gAddedCas == nullptr) gAddedCas = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
    if (gAddedCas == nullptr) return false;
    int added = 0;
    const std::string begin = "-----BEGIN CERTIFICATE-----", end = "-----END CERTIFICATE-----";
    for (size_t at = text.find(begin); at != std::string::npos; at = text.find(begin, at)) {
        size_t stop = text.find(end, at);
        if (stop == std::string::npos) break;
        std::string block = text.substr(at, stop + end.size() - at);
        at = stop + end.size();
        DWORD size = 0;
        if (!CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                                  &size, nullptr, nullptr))
            continue;
        std::vector<BYTE> der(size);
        if (CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER, der.data(),
                                 &size, nullptr, nullptr) &&
            CertAddEncodedCertificateToStore(gAddedCas, X509_ASN_ENCODING, der.data(), size, CERT_STORE_ADD_USE_EXISTING,
                                             nullptr))
            ++added;
    }
    return added > 0;
}
