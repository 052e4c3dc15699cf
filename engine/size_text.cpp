#include "engine/size_text.h"

#include <cstdio>

const char* SizeText(int64_t bytes, char (&out)[kSizeTextSize])
{
    constexpr int64_t kKB = 1024;
    constexpr int64_t kMB = 1024 * kKB;
    constexpr int64_t kGB = 1024 * kMB;
    if (bytes == 0)
        std::snprintf(out, sizeof out, "0KB");
    else if (bytes < kKB)
        std::snprintf(out, sizeof out, "1KB");
    else if (bytes < kMB)
        std::snprintf(out, sizeof out, "%dKB", static_cast<int>(bytes / kKB));
    else if (bytes < kGB)
        std::snprintf(out, sizeof out, "%.2fMB", static_cast<double>(bytes) / static_cast<double>(kMB));
    else
        std::snprintf(out, sizeof out, "%.2fGB", static_cast<double>(bytes) / static_cast<double>(kGB));
    return out;
}
