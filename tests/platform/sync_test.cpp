/** @file Tests of the periodic timer thread. */
#include "platform/sync/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

using namespace std::chrono_literals;

TEST(PeriodicTimer, CallsUntilStoppedAndNotAfter)
{
    std::atomic<int> calls{0};
    std::promise<void> firstCall;
    std::atomic<bool> signalled{false};
    platform::PeriodicTimer timer(1, [&] {
        if (calls.fetch_add(1) == 0 && !signalled.exchange(true))
            firstCall.set_value();
    });
    EXPECT_FALSE(timer.isRunning());
    timer.start();
    timer.start(); // a second start while running changes nothing
    EXPECT_TRUE(timer.isRunning());
    ASSERT_EQ(firstCall.get_future().wait_for(20s), std::future_status::ready);
    timer.stop();
    EXPECT_FALSE(timer.isRunning());
    const int afterStop = calls.load();
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(calls.load(), afterStop); // stop() returned only after the thread ended
    timer.stop();                       // stopping twice is harmless
}

TEST(PeriodicTimer, RestartsAfterStop)
{
    std::atomic<int> calls{0};
    platform::PeriodicTimer timer(1, [&] { calls.fetch_add(1); });
    for (int round = 0; round < 3; ++round) {
        const int before = calls.load();
        timer.start();
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (calls.load() == before && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        timer.stop();
        EXPECT_GT(calls.load(), before) << "round " << round;
    }
}

TEST(PeriodicTimer, StopFromItsOwnCallbackEndsTheThread)
{
    std::atomic<int> calls{0};
    std::promise<void> stopped;
    platform::PeriodicTimer* self = nullptr;
    platform::PeriodicTimer timer(1, [&] {
        if (calls.fetch_add(1) == 0) {
            self->stop(); // must not deadlock joining itself
            stopped.set_value();
        }
    });
    self = &timer;
    timer.start();
    ASSERT_EQ(stopped.get_future().wait_for(20s), std::future_status::ready);
    timer.stop(); // joins the finished thread
    EXPECT_EQ(calls.load(), 1);
    EXPECT_FALSE(timer.isRunning());
}
