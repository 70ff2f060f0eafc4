/** @file The windows game packets open through the network's window services: signs and the hue picker. */
#include "client/gumps/game/game_windows.h"

#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/hue_gumps.h"
#include "client/net/game_services.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

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

} // namespace
