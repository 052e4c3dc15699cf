#include "platform/process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

// A global whose destructor, once armed, ends the process with its own code: the exit code
// then tells whether global destructors ran.
struct EXITWITNESS {
    bool armed = false;
    ~EXITWITNESS()
    {
        if (armed) std::_Exit(9);
    }
} gWitness;

// Leaves text in a fully buffered stream, then ends: the text arrives only if it was flushed.
[[noreturn]] void WriteThenEnd()
{
    gWitness.armed = true;
    static char buffer[256];
    std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer);
    std::fputs("still in the buffer", stderr);
    EndProcess(3);
}

TEST(EndProcess, FlushesStreamsAndRunsNoDestructor)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(WriteThenEnd(), ::testing::ExitedWithCode(3), "^still in the buffer$");
}

}  // namespace
