/** @file Tests of the clocks. */
#include "platform/clock/clock.h"

#include <gtest/gtest.h>

#include <ctime>

TEST(ManualClock, MovesOnlyWhenTold)
{
    platform::ManualClock clock;
    EXPECT_EQ(clock.tickCount(), 0u);
    EXPECT_EQ(clock.wallTime(), 0);
    clock.setWallTime(1000);
    clock.advance(400);
    clock.sleep(700); // sleeping moves the clock instead of blocking
    EXPECT_EQ(clock.tickCount(), 1100u);
    EXPECT_EQ(clock.wallTime(), 1001); // 1100 ms carried whole seconds into the wall time
    clock.advance(900);
    EXPECT_EQ(clock.wallTime(), 1002);
    EXPECT_FALSE(clock.isReal());
}

TEST(ManualClock, TickWrapsAtThirtyTwoBits)
{
    platform::ManualClock clock;
    clock.setTick(0xFFFFFFF0u);
    const uint32_t before = clock.tickCount();
    clock.advance(0x20);
    EXPECT_EQ(clock.tickCount(), 0x10u);
    EXPECT_EQ(clock.tickCount() - before, 0x20u); // elapsed time by unsigned subtraction survives the wrap
}

TEST(SystemClock, TicksForwardAndTellsTheDate)
{
    platform::SystemClock clock;
    const uint32_t start = clock.tickCount();
    clock.sleep(5);
    const uint32_t elapsed = clock.tickCount() - start;
    EXPECT_GE(elapsed, 5u);
    EXPECT_LT(elapsed, 60000u);
    const int64_t now = clock.wallTime();
    EXPECT_LE(std::abs(now - static_cast<int64_t>(std::time(nullptr))), 2);
    EXPECT_TRUE(clock.isReal());
}
