// One exchange with a server: the system's GET request sent and the response head read.
#pragma once

#include "http/address.h"
#include "http/response_head.h"

#include <cstdint>

// Sends the GET for `address` (with "Range: bytes=-N" when `missing` N > 0) and reads the
// head. The open connection, or 0 (and nothing left open) when any step fails.
Socket OpenExchange(const AddressRecord& address, int64_t missing, char (&head)[kHeadBufferSize],
                    char (&bodyStart)[kReceiveChunk], int* bodyStartCount);
