#include "http/exchange.h"

#include "http/request.h"

#include <cinttypes>
#include <cstdio>

Socket OpenExchange(const AddressRecord& address, int64_t missing, char (&head)[kHeadBufferSize],
                    char (&bodyStart)[kReceiveChunk], int* bodyStartCount)
{
    RequestRecord record;
    PrepareGetRequest(address, &record);
    if (missing > 0) std::snprintf(record.request[kRange], kSlotSize, "bytes=-%" PRId64, missing);
    char request[kRequestBufferSize];
    int length = BuildRequest(record, request);
    if (length == 0) return 0;
    Socket socket = ConnectToHost(address.host, PortNumber(address.port));
    if (socket == 0) return 0;
    if (SendAll(socket, request, length) != length || !ReadResponseHead(socket, head, bodyStart, bodyStartCount)) {
        CloseConnection(socket);
        return 0;
    }
    return socket;
}
