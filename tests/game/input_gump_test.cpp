/** @file Tests of the speech line gump: the typed line shown at the bottom of the game area, the frame counter, the shared pixel buffer. */
#include "client/core/config_store.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_window.h"
#include "client/gumps/game/input_gump.h"
#include "client/gumps/game/speech_display.h"
#include "client/render/text_manager.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SpeechLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness.useFixedWidthFonts(6, 10, 4);
        harness.start();
        TextManager::startup();
        InstallSpeechDisplay(true);
    }
    void TearDown() override
    {
        InstallSpeechDisplay(false);
        TextManager::shutdown();
    }
    static CInputGump* shownLine()
    {
        for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
            if (g->IsInputGump() != 0 && !g->closing)
                return dynamic_cast<CInputGump*>(g);
        return nullptr;
    }

    testsupport::GumpHarness harness;
    testsupport::GumpEventDriver driver{harness};
    CInputWindow line;
};

TEST_F(SpeechLine, TheTypedLineShowsOnTheBottomEdgeOfTheGameArea)
{
    SetInputLineServices(&line);
    driver.typeChar('h');
    driver.typeChar('i');
    CInputGump* gump = shownLine();
    ASSERT_NE(gump, nullptr);
    EXPECT_EQ(gump->width, 3 * 6) << "h, i and the caret";
    EXPECT_EQ(gump->x, 0);
    EXPECT_EQ(gump->y, 480 - gump->height);
    EXPECT_GE(CInputGump::PixelFrameMemory().size(), static_cast<size_t>(gump->width * gump->height));
    const size_t grown = harness.logCount("CInputGump::Redraw: ");

    // Drawn over the world: the glyph pixels replace the world, the rest stays.
    harness.fillWorld(0x1234);
    harness.drawFrame();
    EXPECT_NE(harness.framePixel(1, gump->y + 1), 0x1234);
    EXPECT_EQ(harness.framePixel(gump->width + 2, gump->y + 1), 0x1234);

    // A shorter line keeps the buffer; with the frame counter on, the rate goes in front.
    driver.typeChar(8);
    EXPECT_EQ(shownLine(), gump);
    EXPECT_EQ(gump->width, 2 * 6);
    EXPECT_EQ(harness.logCount("CInputGump::Redraw: "), grown) << "never shrunk, not grown for less";
    FrameCounter = 1;
    driver.typeChar('o');
    EXPECT_EQ(gump->width, static_cast<int>(std::string("  0 fps ho_").size()) * 6);
    FrameCounter = 0;
    SetInputLineServices(nullptr);
}

} // namespace
