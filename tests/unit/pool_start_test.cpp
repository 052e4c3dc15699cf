// StartPool when memory runs short. This program replaces the global allocation functions so
// the test can make the pool's buffers, or the calling thread's thread starts, fail to order.
// Workers never end, so each case runs in a child process that ends itself.
#include "engine/pool.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <thread>

namespace {

// Allocations of exactly one worker's buffers that fail next, on any thread.
std::atomic<int> gFailBuffers{0};
// Other allocations of the thread that set it that fail next: std::thread allocates the new
// thread's state, so these are its thread starts.
thread_local int tFailOthers = 0;

bool TakeOne(std::atomic<int>& count)
{
    int n = count.load();
    while (n > 0 && !count.compare_exchange_weak(n, n - 1)) {
    }
    return n > 0;
}

void* Allocate(std::size_t size) noexcept
{
    if (size == sizeof(POOLWORKER)) {
        if (TakeOne(gFailBuffers)) return nullptr;
    } else if (tFailOthers > 0) {
        --tFailOthers;
        return nullptr;
    }
    return std::malloc(size != 0 ? size : 1);
}

}  // namespace

// The replaced delete frees what the replaced new took with malloc; GCC, seeing both inlined
// into library code, takes the pair for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size)
{
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}

namespace {

std::thread::id gStarter;
std::atomic<int> gStartPauses{0};
std::atomic<int> gRunning{0};

// StartPool's pauses after a failed start are counted; each worker is counted at its first
// idle pause, then sleeps a little.
void CountingPause(int)
{
    if (std::this_thread::get_id() == gStarter) {
        ++gStartPauses;
        return;
    }
    thread_local bool counted = false;
    if (!counted) {
        counted = true;
        ++gRunning;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

// Runs in the child: starts the pool and reports what started and what runs.
[[noreturn]] void StartAndReport(int threads, int failBuffers, int failStarts)
{
    SetDefaultSettings(&gSettings);
    gSettings.nThreads = threads;
    gStarter = std::this_thread::get_id();
    SetPauseForTest(CountingPause);
    gFailBuffers = failBuffers;
    tFailOthers = failStarts;
    int started = StartPool();
    tFailOthers = 0;  // the buffer failures left stay armed: no running worker may need buffers
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (gRunning.load() < started && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // no worker beyond those counted
    std::fprintf(stderr, "started %d, running %d, pauses %d\n", started, gRunning.load(), gStartPauses.load());
    EndProcess(0);
}

TEST(PoolStart, FailedStartsAreNotCountedAndAreRetried)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* what;
        int threads;
        int failBuffers;
        int failStarts;
        const char* report;
    } cases[] = {
        {"no failure", 3, 0, 0, "started 3, running 3, pauses 0"},
        {"buffers missing twice", 3, 2, 0, "started 3, running 3, pauses 2"},
        {"thread start out of memory twice", 3, 0, 2, "started 3, running 3, pauses 2"},
        {"buffers never there: 200 tries", 3, 1000, 0, "started 0, running 0, pauses 200"},
        {"threads never start: 200 tries", 3, 0, 1000, "started 0, running 0, pauses 200"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EXIT(StartAndReport(c.threads, c.failBuffers, c.failStarts), ::testing::ExitedWithCode(0),
                    std::string("^") + c.report + "\n$");
    }
}

}  // namespace
