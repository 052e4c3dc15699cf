// Fetching one HTML page into memory, following at most one redirect.
#pragma once

#include "http/address.h"

#include <atomic>
#include <cstdint>

inline constexpr int kPageBufferSize = 300000;  // at most 299,999 body bytes are kept

// Fetches the page at `address` into `page` (at least 300,000 bytes), terminated after the
// stored bytes. Returns the number of body bytes stored, 0 on any failure or an empty body.
// A redirect (301, 302, 303, 307, 308) is followed once, and `address` then holds the
// target, so relative links resolve against the address the page really came from.
// `stopMode` is read before each receive of the body; at 2 the transfer ends.
int FetchPage(const std::atomic<int32_t>& stopMode, AddressRecord* address, char* page);

// The same fetch without following a redirect.
int FetchPageOnce(const std::atomic<int32_t>& stopMode, const AddressRecord& address, char* page);
