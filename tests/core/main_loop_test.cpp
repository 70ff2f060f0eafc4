/** @file Tests of the main loop: the pace of the game tick, and the loop on a null window. */
#include "client/core/main_loop.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/main_window.h"
#include "platform/clock/clock.h"
#include "platform/platform.h"
#include "platform/window/null_window.h"
#include "platform/window/virtual_keys.h"
#include "tests/core/service_fakes.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

struct PaceCase {
    const char* name;
    uint32_t base;
    uint32_t now;
    bool frameSkipping;
    std::vector<int> ticks; // the skip-draw argument of each tick, in order
    uint32_t baseAfter;
};

TEST(MainLoopPace, RunsTheTicksTheElapsedTimeAsksFor)
{
    const PaceCase cases[] = {
        {"below one interval", 1000, 1049, true, {}, 1000},
        {"one interval", 1000, 1050, true, {0}, 1050},
        {"99 ms: one tick, base + 50", 1000, 1099, true, {0}, 1050},
        {"149 ms with frame skipping", 1000, 1149, true, {1, 0}, 1149},
        {"149 ms without frame skipping", 1000, 1149, false, {0}, 1149},
        {"99 ms across the wrap", 0xFFFFFFF0u, 0xFFFFFFF0u + 99u, true, {0}, 0xFFFFFFF0u + 50u},
        {"149 ms across the wrap", 0xFFFFFFF0u, 0xFFFFFFF0u + 149u, true, {1, 0}, 0xFFFFFFF0u + 149u},
        {"now just before base: a wrapped-around backlog", 1000, 999, true, {1, 0}, 999},
    };
    for (const PaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t base = c.base;
        std::vector<int> ticks;
        PaceGameTick(c.now, base, 50, c.frameSkipping, [&ticks](int skipDraw) { ticks.push_back(skipDraw); });
        EXPECT_EQ(ticks, c.ticks);
        EXPECT_EQ(base, c.baseAfter);
    }
}

class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetConfigStore();
        ASSERT_TRUE(CreateMainWindow(window_));
    }
    void TearDown() override { ReleaseMainWindow(); }

    testsupport::ScopedServiceFakes fakes_;
    platform::ScopedPlatform platform_;
    platform::NullWindow window_;
};

TEST_F(MainLoopTest, TicksEvery50MsUntilTheWindowClosesThenSavesAndReturnsZero)
{
    std::vector<uint32_t> tickTimes;
    MainLoopHooks hooks;
    hooks.gameTick = [&](int) {
        tickTimes.push_back(platform_.clock().tickCount());
        if (tickTimes.size() == 4)
            window_.postMessage(platform::WindowMessage::of(platform::WindowMessage::Kind::Close));
    };
    const uint32_t start = platform_.clock().tickCount();

    EXPECT_EQ(RunMainLoop(window_, platform_.clock(), hooks), 0);

    ASSERT_EQ(tickTimes.size(), 4u);
    for (size_t i = 0; i < tickTimes.size(); ++i)
        EXPECT_EQ(tickTimes[i] - start, 50u * (i + 1)) << "tick " << i;
    EXPECT_EQ(fakes_.gumps.desktopSaves, 1);
    EXPECT_FALSE(window_.isOpen());
}

TEST_F(MainLoopTest, AcceleratorKeysSendTheirCommandAndStillReachTheWindowAsKeys)
{
    const uint8_t musicBefore = Music;
    platform::WindowMessage key = platform::WindowMessage::of(platform::WindowMessage::Kind::KeyDown);
    key.key = 'M';
    key.ctrl = true;
    key.shift = true;
    window_.postMessage(key);
    window_.postMessage(platform::WindowMessage::of(platform::WindowMessage::Kind::Close));
    MainLoopHooks hooks;
    hooks.gameTick = [](int) {};

    EXPECT_EQ(RunMainLoop(window_, platform_.clock(), hooks), 0);

    EXPECT_NE(Music, musicBefore);
    EXPECT_EQ(MenuItemChecked(IDM_MUSIC), Music != 0);
}

TEST_F(MainLoopTest, ServicesTheLinkAfterEachMessageAndOncePerQuietPass)
{
    platform::WindowMessage move = platform::WindowMessage::of(platform::WindowMessage::Kind::MouseMove);
    for (int i = 0; i < 3; ++i)
        window_.postMessage(move);
    std::map<uint32_t, int> callsAt; // tick count -> calls in that millisecond
    MainLoopHooks hooks;
    const uint32_t start = platform_.clock().tickCount();
    hooks.afterMessage = [&] { ++callsAt[platform_.clock().tickCount() - start]; };
    hooks.gameTick = [&](int) { window_.postMessage(platform::WindowMessage::of(platform::WindowMessage::Kind::Close)); };

    EXPECT_EQ(RunMainLoop(window_, platform_.clock(), hooks), 0);

    // Three messages in the first pass, then one call in every quiet pass (each sleeps 1 ms)
    // until the first tick at 50 ms.
    EXPECT_GE(callsAt[0], 3);
    for (uint32_t t = 1; t < 50; ++t)
        EXPECT_EQ(callsAt[t], 1) << "at " << t << " ms";
}

} // namespace
