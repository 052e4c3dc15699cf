// One exchange with a server: the system's GET request sent and the response head read.
#pragma once

#include "http/address.h"
#include "http/response_head.h"

#include <cstdint>

// Sends the GET for `address` (with "Range: bytes=-N" when `missing` N > 0) over a new
// connection (TLS for https) and reads the head. True with the connection open; false, with
// nothing left open, when any step fails.
bool OpenExchange(const AddressRecord& address, int64_t missing, char (&head)[kHeadBufferSize],
                  char (&bodyStart)[kReceiveChunk], int* bodyStartCount, CONNECTION* connection);
