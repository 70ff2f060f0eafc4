/** @file The windows game packets open through the network's window services: signs, the hue picker, and the name of a mobile picked for a field. */
#include "client/gumps/game/game_windows.h"

#include "client/gumps/framework/draggable_gump.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/hue_gumps.h"
#include "client/gumps/framework/input_control.h"
#include "client/net/game_handlers.h"
#include "client/net/game_state.h"
#include "client/world/world_objects.h"
#include "client/net/game_services.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using testsupport::GumpHarness;
using testsupport::TestImage;

class GameWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness.addGumpArt(900, TestImage::solid(60, 40, 0x0500));
        harness.addGumpArt(CHueGump::kBackgroundArt, TestImage::solid(270, 180, 0x0111));
        harness.addCursorArt(8, 8, 0, 0);
        harness.useFixedWidthFonts(4, 6, 4);
        harness.start();
        InstallGameWindows(true);
    }
    void TearDown() override { InstallGameWindows(false); }

    static std::vector<CGump*> openGumps()
    {
        std::vector<CGump*> out;
        for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
            if (!g->closing)
                out.push_back(g);
        return out;
    }

    GumpHarness harness;
};

TEST_F(GameWindowsTest, ASignOpensAtItsPlaceAndAHuePickerOncePerItem)
{
    gameWindows().OpenSign(0, 900, "The Leaky Bucket", "second line");
    std::vector<CGump*> open = openGumps();
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0]->IsSignGump(), 1);
    EXPECT_EQ(open[0]->x, 100);
    EXPECT_EQ(open[0]->y, 100);
    EXPECT_EQ(open[0]->width, 60);

    gameWindows().OpenHuePicker(0x40001234, 0x0102, 0x0EFF);
    gameWindows().OpenHuePicker(0x40001234, 0x0102, 0x0EFF);
    open = openGumps();
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(open[0]->IsHueGump() + open[1]->IsHueGump(), 1);

    InstallGameWindows(false);
    gameWindows().OpenSign(0, 900, "not shown", "");
    EXPECT_EQ(openGumps().size(), 2u) << "taken back: the defaults open nothing";
    InstallGameWindows(true);
}

/** A plain window with a solid background, for a field to live in. */
class FormWindow : public CDraggableGump {
public:
    FormWindow()
    {
        x = 100;
        y = 100;
        width = 300;
        height = 200;
        GumpBitmap* frame = MakeFrame(0, width, height);
        for (int row = 0; row < height; ++row)
            std::fill_n(frame->row(row), width, uint16_t{0x0101});
        AttachToParent(nullptr);
    }
};

class PickedMobile : public CObj {
public:
    uint32_t GetSerial() const override { return 0x00000A0B; }
};

TEST_F(GameWindowsTest, TheNameOfAMobilePickedForAFieldComesBackIntoTheField)
{
    auto* window = new FormWindow();
    auto* field = new CInputControlGump(10, 10, window, 120, 16, CInputControlGump::ModeText, 30, 1, 902, 1, 0, 0);
    field->pickMobile = 1;
    field->editable = 0;
    CGumpManager::WorldHooks().isMobile = [](CObj*) { return true; };
    testsupport::GumpEventDriver driver{harness};
    driver.click(115, 114);
    driver.pass(50);
    driver.click(115, 114);
    ASSERT_EQ(g_worldTargetCallback, &CInputControlGump::PickCallback) << "a double click picks a mobile";

    PickedMobile mobile;
    g_worldTargetCallback(&mobile);
    EXPECT_EQ(Game().nameRequest, 0x0A0Bu);
    const std::vector<uint8_t> answer = {0x98, 0x00, 0x0C, 0x00, 0x00, 0x0A, 0x0B, 'A', 'l', 'd', 'a', 0};
    HandleMobileName(answer.data(), answer.size());
    EXPECT_EQ(field->Text(), "Alda");
    EXPECT_EQ(Game().nameRequest, 0u);
    CGumpManager::WorldHooks().isMobile = nullptr;
    g_worldTargetCallback = nullptr;
}

} // namespace
