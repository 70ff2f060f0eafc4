/** @file Tests of the basic controls: buttons, the scroll thumb and the check box, on their states and pixels. */
#include "client/data/span_routines.h"
#include "client/gumps/framework/button_gump.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/framework/thumb_gump.h"
#include "client/gumps/framework/toggle_control_gump.h"
#include "tests/gumps/recording_gump.h"
#include "tests/support/font_builder.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

namespace {

using testsupport::GumpEventDriver;
using testsupport::GumpHarness;
using testsupport::RecordingGump;
using testsupport::TestImage;
using Events = std::vector<std::string>;

constexpr uint16_t kBack = 0x0001;
constexpr uint16_t kNormal = 0x0011;
constexpr uint16_t kPressed = 0x0022;
constexpr uint16_t kHover = 0x0033;
constexpr uint16_t kBlink = 0x0044;
constexpr uint16_t kGrey = 0x5555;

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Buttons 10 x 10 whose top-left 2 x 2 corner is transparent.
        harness.addGumpArt(100, TestImage::solid(10, 10, kNormal).hole(0, 0, 2, 2));
        harness.addGumpArt(101, TestImage::solid(10, 10, kPressed));
        harness.addGumpArt(102, TestImage::solid(10, 10, kHover));
        harness.addGumpArt(103, TestImage::solid(10, 10, kBlink));
        harness.addGumpArt(200, TestImage::solid(8, 12, 0x0101));           // thumb
        harness.addGumpArt(300, TestImage::solid(6, 6, 0x0202));            // box
        harness.addGumpArt(301, TestImage::solid(6, 6, 0x0303));            // ticked
        harness.addGumpArt(302, TestImage::solid(6, 6, 0x0404));            // disabled
        harness.addGumpArt(303, TestImage::solid(6, 6, 0x0505));            // disabled ticked
        harness.addGumpArt(304, TestImage::solid(6, 6, 0x0606));            // hover
        harness.useFixedWidthFonts(3, 4);
        harness.start();
        harness.fillWorld(kBack);
        window = new RecordingGump(100, 100, 200, 100, kBack + 1);
        // The greyed hue 960 turns every pixel into one colour here.
        hues.assign(static_cast<size_t>(kHueEntryWords) * 960, 0);
        for (int i = 0; i < 32; ++i)
            hues[static_cast<size_t>(959 * kHueEntryWords + i)] = kGrey;
        setSpanHueTable(hues.data(), 960);
    }
    void TearDown() override { setSpanHueTable(nullptr, 0); }

    CButtonGump* button(int mode)
    {
        auto* b = new CButtonGump(10, 10, window, mode, 0, &CGump::ForwardButtonPress, 100, 101, 0);
        b->buttonId = 7;
        b->reportId = 1;
        return b;
    }
    uint16_t shown(int x, int y)
    {
        harness.drawFrame();
        return harness.framePixel(x, y);
    }

    GumpHarness harness;
    GumpEventDriver driver{harness};
    RecordingGump* window = nullptr;
    std::vector<uint16_t> hues;
};

TEST_F(ControlsTest, APushButtonShowsItsStatesAndActsOnRelease)
{
    CButtonGump* b = button(CButtonGump::Push);
    b->hoverArt = 102;
    EXPECT_EQ(b->width, 10);
    EXPECT_EQ(shown(115, 115), kNormal);
    EXPECT_EQ(shown(110, 110), kBack + 1); // a transparent art pixel shows the window
    EXPECT_EQ(CGumpManager::GetGumpAt(110, 110, nullptr, 0), window);

    driver.move(115, 115);
    driver.pass();
    EXPECT_EQ(shown(115, 115), kHover);
    driver.leftDown(115, 115);
    EXPECT_EQ(b->State(), 1);
    EXPECT_EQ(shown(115, 115), kPressed);
    EXPECT_TRUE(window->events.empty());
    driver.leftUp(115, 115);
    EXPECT_EQ(b->State(), 0);
    EXPECT_EQ(window->take(), Events{"button 7"});
    EXPECT_EQ(window->lastPressedId, 7);
    EXPECT_EQ(MouseManager::Capture(), nullptr);
}

TEST_F(ControlsTest, ADisabledButtonIsGreyTakesTheCaptureButDoesNothing)
{
    CButtonGump* b = button(CButtonGump::Push);
    b->disabled = 1;
    EXPECT_EQ(shown(115, 115), kGrey);
    driver.move(115, 115);
    driver.leftDown(115, 115);
    EXPECT_EQ(MouseManager::Capture(), b);
    EXPECT_EQ(b->State(), 0);
    EXPECT_EQ(shown(115, 115), kGrey);
    driver.leftUp(115, 115);
    EXPECT_TRUE(window->events.empty());
}

TEST_F(ControlsTest, AToggleButtonFlipsOnReleaseAndTellsItsParentAfterTheCallback)
{
    CButtonGump* b = button(CButtonGump::Toggle);
    driver.click(115, 115);
    EXPECT_EQ(b->State(), 1);
    EXPECT_EQ(shown(115, 115), kPressed);
    EXPECT_EQ(window->take(), (Events{"button 7", "changed"}));
    driver.click(115, 115);
    EXPECT_EQ(b->State(), 0);
    EXPECT_EQ(window->take(), (Events{"button 7", "changed"}));
}

TEST_F(ControlsTest, ARepeatButtonActsOnPressThenOnTheSixthTickAndEveryTickAfter)
{
    button(CButtonGump::Repeat);
    driver.move(115, 115);
    driver.leftDown(115, 115);
    EXPECT_EQ(window->take().size(), 1u);
    std::vector<size_t> actedAt;
    for (size_t tick = 1; tick <= 8; ++tick) {
        driver.pass();
        if (!window->take().empty())
            actedAt.push_back(tick);
    }
    EXPECT_EQ(actedAt, (std::vector<size_t>{6, 7, 8}));
    driver.leftUp(115, 115);
    driver.pass();
    EXPECT_TRUE(window->events.empty());
}

TEST_F(ControlsTest, ABlinkingButtonShowsItsBlinkArtTwoUpdatesInTwelve)
{
    CButtonGump* b = button(CButtonGump::Push);
    b->blinkArt = 103;
    std::string seen;
    for (int update = 1; update <= 24; ++update) {
        b->Update();
        seen += shown(115, 115) == kBlink ? 'B' : '.';
    }
    EXPECT_EQ(seen, "..........BB..........BB");
}

TEST_F(ControlsTest, AHotAreaHitsByItsRectangleAndForwardsTheRightButton)
{
    auto* area = new CButtonGump(20, 20, 24, 29, window, CButtonGump::Push, 0, &CGump::ForwardButtonPress, 0);
    area->buttonId = 3;
    area->reportId = 1;
    EXPECT_EQ(area->width, 6);
    EXPECT_EQ(area->height, 10);
    EXPECT_EQ(shown(121, 121), kBack + 1); // draws nothing
    driver.click(125, 129);
    EXPECT_EQ(window->take(), Events{"button 3"});
    driver.rightClick(121, 121); // the window closes on its own right-button release
    EXPECT_FALSE(IsLiveGump(window));
}

TEST_F(ControlsTest, AThumbStaysOnItsTrackAndReportsItsPlace)
{
    auto* thumb = new CThumbGump(50, 10, window, 1, 90, 200);
    EXPECT_EQ(thumb->maxY, 90 - 12);
    thumb->SetPosition(10, 20);
    EXPECT_EQ(thumb->y, 10 + 10 * (78 - 10 + 1) / 20);
    thumb->SetPosition(20, 20); // one past the end, held at the end
    EXPECT_EQ(thumb->y, 78);
    thumb->SetPosition(5, 0); // no range: the start
    EXPECT_EQ(thumb->y, 10);

    driver.drag(152, 112, 152, 300);
    EXPECT_EQ(thumb->y, 78);
    const Events events = window->take();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "release 68/68");
    EXPECT_EQ(events[events.size() - 2], "thumb 68/68");
    EXPECT_EQ(shown(152, 100 + 78 + 5), 0x0101);
}

TEST_F(ControlsTest, ACheckBoxDrawsItsBoxAndLabelAndFlipsUnlessDisabled)
{
    auto* box = new CToggleControlGump(20, 40, window, 300, 301, 0, 0, "ab", 0, 302, 303);
    // Box 6 wide, two glyphs of 3, a gap of 4.
    EXPECT_EQ(box->width, 6 + 6 + 4);
    EXPECT_EQ(box->height, 6);
    EXPECT_EQ(shown(121, 141), 0x0202);
    // The label sits two rows below the centred line: rows 3 to 5 of the bitmap.
    EXPECT_NE(box->Frame(0)->pixel(6 + 4, 4), 0);
    EXPECT_EQ(box->Frame(0)->pixel(6 + 4, 2), 0);

    driver.click(121, 141);
    EXPECT_EQ(box->ticked, 1);
    EXPECT_EQ(shown(121, 141), 0x0303);
    EXPECT_EQ(window->take(), Events{"changed"});

    box->disabled = 1;
    box->Redraw();
    EXPECT_EQ(shown(121, 141), 0x0505);
    driver.click(121, 141);
    EXPECT_EQ(box->ticked, 1);
    EXPECT_TRUE(window->events.empty());

    box->disabled = 0;
    box->hoverArt = 304;
    box->hoverTickedArt = 304;
    driver.move(121, 141);
    driver.pass();
    EXPECT_EQ(shown(121, 141), 0x0606);
}

} // namespace
