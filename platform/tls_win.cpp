// TLS through Schannel (SSPI): not yet built; every handshake fails.
#include "platform/tls.h"

#include <cstdio>

int TlsStart(Socket, const char*, TLSSESSION** session, char* detail, int detailSize)
{
    *session = nullptr;
    if (detailSize > 0) std::snprintf(detail, static_cast<size_t>(detailSize), "%s", "no TLS in this build");
    return kTlsFailed;
}

int TlsSendAll(TLSSESSION*, const char*, int)
{
    return -1;
}

int TlsReceive(TLSSESSION*, char*, int)
{
    return -1;
}

int TlsPending(TLSSESSION*)
{
    return 0;
}

void TlsEnd(TLSSESSION*& session)
{
    session = nullptr;
}

bool AddTrustedCaFile(const char*)
{
    return false;
}
