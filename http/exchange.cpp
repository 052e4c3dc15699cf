#include "http/exchange.h"

#include "http/failure.h"
#include "http/request.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

bool OpenExchange(const AddressRecord& address, int64_t missing, char (&head)[kHeadBufferSize],
                  char (&bodyStart)[kReceiveChunk], int* bodyStartCount, CONNECTION* connection)
{
    *connection = CONNECTION{};
    const bool keep = KeepsConnections(address);
    RequestRecord record;
    PrepareGetRequest(address, &record);
    if (keep) std::strcpy(record.general[kConnection], "keep-alive");
    if (missing > 0) std::snprintf(record.request[kRange], kSlotSize, "bytes=-%" PRId64, missing);
    char request[kRequestBufferSize];
    int length = BuildRequest(record, request);
    if (length == 0) {
        ReportTransfer(address, kRequestRefused);
        return false;
    }
    if (keep && TakeIdleConnection(address, connection)) {
        if (ConnectionSend(*connection, request, length) == length &&
            ReadResponseHead(*connection, head, bodyStart, bodyStartCount))
            return true;
        CloseServerConnection(*connection);
    }
    if (!OpenServerConnection(address, connection)) return false;
    if (ConnectionSend(*connection, request, length) != length ||
        !ReadResponseHead(*connection, head, bodyStart, bodyStartCount)) {
        CloseServerConnection(*connection);
        ReportTransfer(address, kNoResponse);
        return false;
    }
    return true;
}

void EndExchange(const AddressRecord& address, const char* head, CONNECTION& connection, bool bodyComplete)
{
    if (bodyComplete && KeepsConnections(address) && ResponseKeepsConnection(head) && !ConnectionReadable(connection))
        KeepIdleConnection(address, connection);
    else
        CloseServerConnection(connection);
}
