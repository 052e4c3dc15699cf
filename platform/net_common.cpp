#include "platform/net.h"

#include <atomic>

namespace {
std::atomic<int> gTestTimeoutMs{0};

struct CONNECTFAILURE {
    int reason;
    int code;
};
thread_local CONNECTFAILURE tLastFailure;
}  // namespace

void NoteConnectFailure(int reason, int code)
{
    tLastFailure = {reason, code};
}

int LastConnectFailure(int* code)
{
    *code = tLastFailure.code;
    return tLastFailure.reason;
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
