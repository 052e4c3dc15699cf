// One exchange with a server: the system's GET request sent and the response head read.
#pragma once

#include "http/address.h"
#include "http/response_head.h"

#include <cstdint>

// Sends the GET for `address` (with "Range: bytes=-N" when `missing` N > 0) and reads the
// head. For a server whose connections are kept (see KeepsConnections) the request asks to
// keep the connection and goes over this thread's idle one when there is one; if that fails
// before an answer (the server closed it meanwhile) it is sent once more on a new
// connection. Otherwise every request has a new connection and says "Connection: close".
// True with the connection open; false, with nothing left open, when any step fails.
bool OpenExchange(const AddressRecord& address, int64_t missing, char (&head)[kHeadBufferSize],
                  char (&bodyStart)[kReceiveChunk], int* bodyStartCount, CONNECTION* connection);

// After a response: keeps the connection for the next request when its body was read to its
// end (`bodyComplete`), the server leaves it open and the address's server keeps
// connections; closes it otherwise.
void EndExchange(const AddressRecord& address, const char* head, CONNECTION& connection, bool bodyComplete);
