#include "platform/net.h"

#include <atomic>

namespace {
std::atomic<int> gTestTimeoutMs{0};
}

void SetReceiveTimeoutForTest(int milliseconds)
{
    gTestTimeoutMs.store(milliseconds);
}

int ReceiveTimeoutMs()
{
    int test = gTestTimeoutMs.load();
    return test > 0 ? test : kReceiveTimeoutMs;
}

int PortNumber(const char* text)
{
    int value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > 0xFFFF) return 0;  // out of range: no such port
    }
    return value;
}
