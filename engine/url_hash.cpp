#include "engine/url_hash.h"

uint32_t UrlHash(const char* text)
{
    // Position-weighted sum over the upper-cased text, bytes read as signed 8-bit values,
    // accumulated in wrapping 32-bit arithmetic.
    uint32_t sum = 0;
    for (uint32_t position = 1; position <= 499 && text[position - 1] != '\0'; ++position) {
        char c = text[position - 1];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        int32_t value = static_cast<int8_t>(c);
        sum += position * static_cast<uint32_t>(value);
    }
    return sum % kUrlHashRange;
}
