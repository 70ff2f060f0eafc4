/** @file Tests of the service slots through which the core calls the gump manager, mouse, input line, macros, music and sound. */
#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/main_window.h"
#include "platform/platform.h"
#include "tests/core/service_fakes.h"

#include <gtest/gtest.h>

namespace {

class CoreServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetConfigStore();
        platform_.clock().setTick(50000);
        ResetGameTickState();
        TickHooks() = GameTickHooks{};
        g_bInGame = false;
    }
    void TearDown() override { TickHooks() = GameTickHooks{}; }

    platform::ScopedPlatform platform_;
};

TEST_F(CoreServicesTest, TheCoreRunsAloneOnTheServicesThatDoNothing)
{
    platform_.clock().advance(100);
    GameTick(0); // both passes, drawing through the gump manager that draws nothing
    DispatchTypedKey('a');
    DispatchTypedKey(27);
    EnterTargetMode();
    CancelTargetMode();
    MainWndProc(platform::WindowMessage::of(platform::WindowMessage::Kind::MusicNotify));
    EXPECT_EQ(gumpManager().FocusedControl(), nullptr);
    EXPECT_FALSE(inputLine().PromptOpen());
    EXPECT_TRUE(macros().MacroKeys().empty());
    EXPECT_FALSE(musicManager().IsEnabled());
    EXPECT_FALSE(mouseManager().TakeCursorRedraw());
    EXPECT_EQ(GameTickCount, 1u);
}

TEST_F(CoreServicesTest, TheGameTickCallsEachInstalledServiceInItsPass)
{
    testsupport::ScopedServiceFakes fakes;
    fakes.macros.waitCounter = 2;

    platform_.clock().advance(80); // the interface pass and the world pass
    GameTick(0);
    EXPECT_EQ(fakes.mouse.updates(), 1);
    EXPECT_EQ(fakes.gumps.updates, 1);
    EXPECT_EQ(fakes.music.updates, 1);
    EXPECT_EQ(fakes.sound.updates, 1);
    EXPECT_EQ(fakes.macros.updates, 1);
    EXPECT_EQ(fakes.macros.waitCounter, 1);
    EXPECT_EQ(fakes.gumps.draws, 1);
    EXPECT_EQ(fakes.gumps.desktopQueueSteps, 1);

    platform_.clock().advance(40); // the interface pass only
    GameTick(0);
    EXPECT_EQ(fakes.mouse.updates(), 2);
    EXPECT_EQ(fakes.gumps.updates, 2);
    EXPECT_EQ(fakes.music.updates, 1);
    EXPECT_EQ(fakes.macros.waitCounter, 1);

    fakes.gumps.desktopQueueStopped = true;
    for (int i = 0; i < 2; ++i) {
        platform_.clock().advance(80);
        GameTick(1); // no drawing; the wait counter stops at zero
    }
    EXPECT_EQ(fakes.gumps.draws, 1);
    EXPECT_EQ(fakes.gumps.desktopQueueSteps, 1);
    EXPECT_EQ(fakes.macros.waitCounter, 0);
}

TEST_F(CoreServicesTest, InstallingNothingPutsTheDefaultBack)
{
    testsupport::FakeGumpManager gumps;
    testsupport::FakeInputLine input;
    SetGumpServices(&gumps);
    SetInputLineServices(&input);
    input.promptOpen = true;
    DispatchTypedKey(27); // answers the prompt
    EXPECT_EQ(input.promptReplies, 1);

    SetGumpServices(nullptr);
    SetInputLineServices(nullptr);
    platform_.clock().advance(80);
    GameTick(0);
    DispatchTypedKey('x');
    EXPECT_EQ(gumps.updates, 0);
    EXPECT_TRUE(input.typed.empty());
}

} // namespace
