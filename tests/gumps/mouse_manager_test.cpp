/** @file Tests of the mouse manager through the window procedure: routing, capture, the click pattern, focus, modal, z-order, cursors, popup help. */
#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/gump_services.h"
#include "client/core/main_window.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "tests/gumps/recording_gump.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

namespace {

using testsupport::GumpEventDriver;
using testsupport::GumpHarness;
using testsupport::RecordingGump;
using Events = std::vector<std::string>;

class MouseTest : public ::testing::Test {
protected:
    void SetUp() override { harness.start(); }
    void TearDown() override { WorldPlayerHooks() = PlayerHooks{}; }
    GumpHarness harness;
    GumpEventDriver driver{harness};
};

TEST_F(MouseTest, APressTakesTheCaptureAndTheReleaseReachesItAnywhere)
{
    auto* window = new RecordingGump(100, 50, 80, 60, 0x1111);
    driver.move(110, 70);
    driver.leftDown(110, 70);
    EXPECT_EQ(MouseManager::Capture(), window);
    EXPECT_TRUE(harness.window().captured());
    driver.leftUp(400, 400); // outside every gump
    EXPECT_EQ(window->take(), (Events{"down 10,20", "up 300,350"}));
    EXPECT_EQ(MouseManager::Capture(), nullptr);
    EXPECT_FALSE(harness.window().captured());
    driver.click(10, 10); // nothing there
    EXPECT_TRUE(window->events.empty());
}

TEST_F(MouseTest, AStartForgetsWhereThePointerLastWas)
{
    // A pointer left over a button would draw it lit in the next session's first frame.
    MouseManager::OnMouseMove(615, 450);
    MouseManager::shutdown();
    MouseManager::startup();
    int x = -1, y = -1;
    MouseManager::GetPosition(x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

TEST_F(MouseTest, TheClickPatternTellsSingleDoubleAndDrag)
{
    harness.window().setDoubleClickTime(300); // the platform's time rules
    auto* window = new RecordingGump(100, 100, 100, 100, 0x1111);
    window->movable = false;

    driver.click(120, 130);
    driver.pass(299);
    EXPECT_EQ(window->take(), (Events{"down 20,30", "up 20,30"}));
    driver.pass(2);
    EXPECT_EQ(window->take(), Events{"single 20,30"});

    driver.click(120, 130);
    driver.pass(100);
    driver.click(121, 131);
    driver.pass(400);
    EXPECT_EQ(window->take(), (Events{"down 20,30", "up 20,30", "down 21,31", "double 21,31", "up 21,31"}));

    // Four pixels are still a click; the fifth starts a drag.
    driver.move(120, 130);
    driver.leftDown(120, 130);
    driver.move(124, 130);
    driver.pass(10);
    EXPECT_EQ(window->take(), Events{"down 20,30"});
    driver.move(125, 130);
    driver.pass(10);
    driver.leftUp(125, 130);
    driver.pass(400);
    EXPECT_EQ(window->take(), (Events{"drag", "up 25,30"}));

    // A press held past the double-click time is a drag too.
    driver.leftDown(120, 130);
    driver.pass(301);
    driver.leftUp(120, 130);
    driver.pass(400);
    EXPECT_EQ(window->take(), (Events{"down 20,30", "drag", "up 20,30"}));
}

TEST_F(MouseTest, DraggingMovesTheWindowAndTheRightButtonClosesIt)
{
    auto* window = new RecordingGump(100, 100, 100, 100, 0x1111);
    driver.drag(110, 110, 160, 140);
    EXPECT_EQ(window->x, 150);
    EXPECT_EQ(window->y, 130);

    auto* fixed = new RecordingGump(300, 300, 50, 50, 0x2222);
    fixed->closable = 0;
    driver.rightClick(310, 310);
    EXPECT_TRUE(IsLiveGump(fixed));
    driver.rightClick(160, 140);
    EXPECT_FALSE(IsLiveGump(window));
    EXPECT_EQ(MouseManager::Capture(), nullptr);
}

TEST_F(MouseTest, TheFrontWindowTakesTheClickAndAPressRaisesTheOneBehind)
{
    auto* back = new RecordingGump(0, 0, 100, 100, 0x1111);
    auto* front = new RecordingGump(50, 50, 100, 100, 0x2222);
    driver.click(60, 60);
    EXPECT_EQ(front->take().size(), 2u);
    EXPECT_TRUE(back->events.empty());
    driver.click(10, 10);
    EXPECT_EQ(back->take().size(), 2u);
    EXPECT_EQ(CGumpManager::First(), back);
    driver.pass(600); // its single click
    EXPECT_EQ(back->take(), Events{"single 10,10"});
    driver.click(60, 60);
    EXPECT_EQ(back->take().size(), 2u); // now in front
}

/** A text field stand-in: it takes the typed characters while it has the focus. */
class FieldGump : public RecordingGump, public CFocusedControl {
public:
    using RecordingGump::RecordingGump;
    CFocusedControl* AsFocusedControl() override { return this; }
    bool IsSingleLine() const override { return true; }
    bool IsMultiLine() const override { return false; }
    void OnTypedChar(uint16_t character) override { typed.push_back(character); }
    bool TakesRawKeys() const override { return false; }
    void OnRawKey(uint32_t, uint32_t) override {}
    void OnLButtonDown(int px, int py) override
    {
        CGumpManager::SetFocus(this);
        RecordingGump::OnLButtonDown(px, py);
    }
    std::vector<uint16_t> typed;
};

TEST_F(MouseTest, TheFocusTakesTypedKeysUntilAnotherWindowIsPressed)
{
    auto* form = new RecordingGump(0, 0, 200, 100, 0x1111);
    auto* field = new FieldGump(10, 10, 100, 20, 0x2222, form);
    auto* other = new RecordingGump(300, 0, 100, 100, 0x3333);
    driver.click(20, 20);
    EXPECT_EQ(CGumpManager::Focus(), field);
    driver.typeChar('a');
    driver.keyDown(0x24); // Home reaches the field as 0xE024
    EXPECT_EQ(field->typed, (std::vector<uint16_t>{'a', 0xE024}));
    driver.click(310, 10);
    EXPECT_EQ(CGumpManager::Focus(), nullptr);
    EXPECT_EQ(field->take().back(), "end edit");
    (void)other;
}

TEST_F(MouseTest, WithAModalGumpOnlyItTakesClicks)
{
    auto* window = new RecordingGump(0, 0, 300, 300, 0x1111);
    auto* modal = new RecordingGump(100, 100, 50, 50, 0x2222);
    CGumpManager::SetModal(modal);
    driver.click(10, 10);
    driver.rightClick(10, 10);
    EXPECT_TRUE(window->events.empty());
    driver.click(110, 110);
    EXPECT_EQ(modal->take().size(), 2u);
    CGumpManager::DestroyGump(modal);
    driver.click(10, 10);
    EXPECT_EQ(window->take().size(), 2u);
}

TEST_F(MouseTest, LeavingAGumpTellsIt)
{
    auto* window = new RecordingGump(0, 0, 100, 100, 0x1111);
    driver.move(10, 10);
    driver.pass();
    EXPECT_EQ(CGumpManager::mouseonGump, window);
    EXPECT_EQ(MouseManager::RequestedCursor(), MouseManager::kNormalCursor);
    driver.move(200, 200);
    driver.pass();
    EXPECT_EQ(window->take(), Events{"leave"});
    EXPECT_EQ(CGumpManager::mouseonGump, nullptr);
    EXPECT_EQ(MouseManager::RequestedCursor(), 0); // the walk arrows again
}

TEST_F(MouseTest, DirectionsRunClockwiseFromScreenUpAndTheCentreFollowsTheRules)
{
    // The game area is 640 x 480: its centre is (320, 240).
    struct Case {
        int dx, dy, direction;
    } const cases[] = {
        {0, -100, 0}, {100, -100, 1}, {100, 0, 2}, {100, 100, 3}, {0, 100, 4},
        {-100, 100, 5}, {-100, 0, 6}, {-100, -100, 7},
        {0, 0, 0}, // the stated tests give 0 for the exact centre
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
        driver.move(320 + c.dx, 240 + c.dy);
        EXPECT_EQ(MouseManager::GetDirection(false), c.direction);
    }
    driver.move(700, 240);
    EXPECT_EQ(MouseManager::GetDirection(false), -1);
    EXPECT_EQ(MouseManager::GetDirection(true), 2);
}

TEST_F(MouseTest, TheCursorKindFollowsTheWalkArrowsWarModeAndRequests)
{
    bool war = false;
    WorldPlayerHooks().inWarMode = [&war] { return war; };
    struct Case {
        const char* name;
        int x, y;
        bool war;
        int kind;
    } const cases[] = {
        {"peace, near", 420, 240, false, 2 + 8 + 23},
        {"peace, far", 620, 240, false, 2 + 23},
        {"war, near", 420, 240, true, 2 + 8},
        {"war, far", 620, 240, true, 2},
        {"outside the game area", 700, 500, false, 17 + 23},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        war = c.war;
        driver.move(c.x, c.y);
        EXPECT_EQ(MouseManager::GetCursor(), c.kind);
    }
    war = false;
    MouseManager::SetCursor(19);
    driver.move(420, 240);
    EXPECT_EQ(MouseManager::GetCursor(), 19 + 23);

    MouseManager::BeginWait();
    MouseManager::BeginWait();
    MouseManager::SetCursor(5);
    EXPECT_EQ(MouseManager::RequestedCursor(), MouseManager::kWaitCursor);
    MouseManager::EndWait();
    MouseManager::EndWait();
    MouseManager::EndWait();
    EXPECT_EQ(MouseManager::WaitCount(), 0);

    g_bInGame = false;
    MouseManager::SetCursor(5);
    EXPECT_EQ(MouseManager::RequestedCursor(), MouseManager::kNormalCursor);
}

TEST(MouseCursor, TheSoftwareCursorIsDrawnIntoTheFrameAtItsHotSpotAndTakenOutAgain)
{
    GumpHarness harness;
    harness.addCursorArt(6, 4, 3, 2);
    harness.start();
    GumpEventDriver driver(harness);
    harness.fillWorld(0x0001);
    driver.move(100, 100);
    harness.drawFrame();
    const int kind = MouseManager::GetCursor();
    int hotX = 0, hotY = 0;
    MouseManager::HotSpot(kind, hotX, hotY);
    EXPECT_EQ(hotX, 3);
    EXPECT_EQ(hotY, 2);
    // The image's own colour shows from (97, 98); its mark pixels stay as drawn.
    EXPECT_NE(harness.framePixel(98, 99), 0x0001);
    EXPECT_EQ(harness.framePixel(96, 99), 0x0001);
    EXPECT_EQ(harness.framePixel(103, 99), 0x0001);
    EXPECT_EQ(harness.pixel(98, 99), 0x0001);
    EXPECT_FALSE(harness.window().systemCursorShown());
}

TEST(MouseCursor, WithoutCursorArtTheSystemPointerStays)
{
    GumpHarness harness;
    harness.start();
    GumpEventDriver driver(harness);
    driver.move(100, 100);
    EXPECT_TRUE(harness.window().systemCursorShown());
}

TEST_F(MouseTest, ResolvingOnAWorldObjectAsksTheServerForItsHelpText)
{
    CObj* object = reinterpret_cast<CObj*>(&harness); // only compared, never read
    MouseManager::WorldHooks().objectAt = [object](int x, int) { return x < 200 ? object : nullptr; };
    MouseManager::WorldHooks().serialOf = [](CObj*) { return 0x40001234u; };
    driver.move(100, 100);
    driver.pass();
    driver.pass(500);
    EXPECT_TRUE(harness.packets().packets.empty());
    driver.pass(600);
    driver.pass();
    ASSERT_EQ(harness.packets().packets.size(), 1u);
    EXPECT_EQ(harness.packets().packets[0], (std::vector<uint8_t>{0xB6, 0x40, 0x00, 0x12, 0x34, 0, 'e', 'n', 'u'}));
    MouseManager::WorldHooks() = MouseWorldHooks{};
}

} // namespace
