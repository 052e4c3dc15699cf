// An AddressRecord parsed from a text, for tests.
#pragma once

#include "http/address.h"

#include <cstdio>

inline AddressRecord ParsedAddress(const char* text)
{
    char buffer[kLinkTextSize];
    std::snprintf(buffer, sizeof buffer, "%s", text);
    AddressRecord record;
    ParseAddress(buffer, &record);
    return record;
}
