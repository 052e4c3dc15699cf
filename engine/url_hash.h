// The URL hash: the key of the visited-URL table and the address hash of the job table.
#pragma once

#include <cstdint>

inline constexpr uint32_t kUrlHashRange = 3000000;

// A value from 0 to 2,999,999 for a NUL-terminated text. Letter case is ignored, and
// only the first 499 characters count.
uint32_t UrlHash(const char* text);
