// The short size text of the list views and the status bar: "0KB", "1KB", "%dKB", "%.2fMB", "%.2fGB".
#pragma once

#include <cstdint>

inline constexpr int kSizeTextSize = 32;

// Writes the size text of `bytes` into `out` and returns it. Counts below 1,024 bytes,
// negative ones included, read "1KB"; only 0 reads "0KB".
const char* SizeText(int64_t bytes, char (&out)[kSizeTextSize]);
