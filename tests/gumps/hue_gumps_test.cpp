/** @file Tests of the hue pickers: the colour grid and the hue picker window with its reply. */
#include "client/data/hue_manager.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/hue_gumps.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/framework/thumb_gump.h"
#include "tests/gumps/recording_gump.h"
#include "tests/support/gump_harness.h"
#include "tools/formats/data_formats.h"

#include <gtest/gtest.h>

namespace {

using testsupport::GumpEventDriver;
using testsupport::GumpHarness;
using testsupport::RecordingGump;
using testsupport::TestImage;

/** A window that takes picked hues. */
class HueOwner : public RecordingGump, public HuePickerOwner {
public:
    HueOwner() : RecordingGump(0, 0, 20, 20, 0x0700) {}
    void SetHueField(int field, int hue) override { events.push_back("field " + std::to_string(field) + " " + std::to_string(hue)); }
    void ApplyPickedHue(int hue) override { events.push_back("apply " + std::to_string(hue)); }
};

class HueGumpsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness.addGumpArt(CHueGump::kBackgroundArt, TestImage::solid(270, 180, 0x0111));
        harness.addGumpArt(2118, TestImage::solid(10, 16, 0x0222));
        for (int i = 0; i < 3; ++i)
            harness.addGumpArt(2311 + i, TestImage::solid(20, 20, static_cast<uint16_t>(0x0333 + i)));
        harness.addCursorArt(8, 8, 0, 0);
        harness.addStaticArt(0x0EFF, TestImage::solid(6, 6, 0x7C00));
        harness.useFixedWidthFonts(4, 6, 4);
        harness.start();
        // Colour 16 of hue h (entry h - 1) is h itself.
        std::vector<formats::HueEntry> entries(3000);
        for (size_t i = 0; i < entries.size(); ++i) {
            entries[i].colors[16] = static_cast<uint16_t>(i + 1);
            entries[i].colors[31] = 0x1234;
        }
        const formats::Bytes file = formats::encodeHues(entries);
        HueManager::LoadFrom(file.data(), file.size());
    }
    void TearDown() override { HueManager::LoadFrom(nullptr, 0); }

    GumpHarness harness;
    GumpEventDriver driver{harness};
};

TEST_F(HueGumpsTest, TheGridsOfTheKindsHoldTheirHues)
{
    struct Case {
        int kind, rows, columns;
        int first, second, secondRow, last;
    };
    const Case cases[] = {
        {0, 8, 8, 1001, 1009, 1002, 1057},  // columns step by the row count, clamped to the last
        {2, 8, 6, 1101, 1109, 1102, 1148},
        {3, 50, 20, 201, 206, 401, 508},
        {9, 8, 8, 1001, 1009, 1002, 1057},  // an unknown kind is kind 0
    };
    for (const Case& c : cases) {
        CHueControl grid(0, 0, 125, 280, c.kind, nullptr, 0, 0);
        EXPECT_EQ(grid.rows, c.rows) << c.kind;
        EXPECT_EQ(grid.columns, c.columns) << c.kind;
        EXPECT_EQ(grid.Value(0, 0), c.first) << c.kind;
        EXPECT_EQ(grid.Value(0, 1), c.second) << c.kind;
        EXPECT_EQ(grid.Value(1, 0), c.secondRow) << c.kind;
        EXPECT_EQ(grid.Value(c.rows - 1, c.columns - 1), c.last) << c.kind;
        EXPECT_EQ(grid.selectedValue, c.first) << c.kind;
    }
    // Kinds 3-5: a row start past 1001 starts again near the bottom of the range.
    CHueControl wide(0, 0, 125, 280, 4, nullptr, 0, 0);
    EXPECT_EQ(wide.Value(2, 0), 801);
    EXPECT_EQ(wide.Value(3, 0), 102);
    EXPECT_EQ(wide.Value(4, 0), 202);
}

TEST_F(HueGumpsTest, AClickOrADragOnTheGridSelectsTheCellAndTellsTheOwner)
{
    auto* owner = new RecordingGump(100, 100, 200, 300, 0x0700);
    auto* grid = new CHueControl(10, 10, 125, 280, 0, owner, 0, 0); // cells 15 x 35, margins 2 and 0
    EXPECT_EQ(grid->cellWidth, 15);
    EXPECT_EQ(grid->cellHeight, 35);
    EXPECT_EQ(grid->marginLeft, 2);
    const GumpBitmap* frame = grid->Frame(0);
    EXPECT_EQ(frame->pixel(3, 1), 1001 + 1);              // colour 16 of entry 1001 (hue 1002)
    EXPECT_EQ(frame->pixel(2 + 7, 17), 0x7FFF);           // the selected cell's centre

    driver.click(110 + 2 + 15 * 2 + 1, 110 + 35 * 3 + 1); // column 2, row 3
    EXPECT_EQ(grid->selectedColumn, 2);
    EXPECT_EQ(grid->selectedRow, 3);
    EXPECT_EQ(grid->selectedValue, 1001 + 3 + 2 * 8);
    EXPECT_EQ(owner->take(), std::vector<std::string>{"changed"});
    EXPECT_EQ(grid->Frame(0)->pixel(2 + 30 + 7, 105 + 17), 0x7FFF);

    // A drag past the grid keeps the last cell.
    driver.drag(110 + 40, 110 + 40, 110 + 140, 110 + 300);
    EXPECT_EQ(grid->selectedColumn, 7);
    EXPECT_EQ(grid->selectedRow, 7);
    EXPECT_EQ(grid->selectedValue, 1057);
    EXPECT_FALSE(owner->take().empty());
}

TEST_F(HueGumpsTest, ThePaletteCornersPickTheFirstAndLastHueOfTheirShade)
{
    CHueGump* picker = CHueGump::CHueGumpWithTitle(0, 0, -1, nullptr, "", 2);
    picker->AttachToParent(nullptr);
    EXPECT_STREQ(picker->name, "hue gump");
    EXPECT_EQ(picker->shade, 0);
    driver.click(34, 34);
    EXPECT_EQ(picker->hue, 2);
    picker->SetShade(4);
    EXPECT_EQ(picker->hue, 6); // the same cell in shade 4
    driver.click(193, 113);
    EXPECT_EQ(picker->hue, 1001);
    // The palette shows each cell's hue and the marker on the chosen one.
    const GumpBitmap* frame = picker->Frame(0);
    EXPECT_EQ(frame->pixel(34, 34), 2 + 4 - 1 + 1);
    EXPECT_EQ(frame->pixel(186 + 4, 106 + 4), 0x7FFF);
    EXPECT_EQ(frame->pixel(186 + 3, 106 + 4), 0x7FFF);
    EXPECT_EQ(frame->pixel(186 + 3, 106 + 3), 1001);

    // Pressed in the palette, a move picks under the pointer; pressed outside, the window moves.
    driver.drag(40, 40, 50, 40);
    EXPECT_EQ(picker->hue, 2 + 5 * 2 + 4);
    EXPECT_EQ(picker->x, 0);
    driver.drag(250, 20, 260, 30);
    EXPECT_EQ(picker->x, 10);
    EXPECT_EQ(picker->y, 10);
}

TEST_F(HueGumpsTest, TheSliderAndItsStepsChangeTheShadeKeepingTheCell)
{
    CHueGump* picker = CHueGump::CHueGumpWithTitle(0, 0, -1, nullptr, "", 102);
    picker->AttachToParent(nullptr);
    CThumbGump* thumb = picker->Thumb();
    EXPECT_EQ(thumb->x, 38);
    driver.drag(thumb->x + 2, 142 + 2, 38 + 200, 142 + 2); // to the end of the track
    EXPECT_EQ(picker->shade, 4);
    EXPECT_EQ(picker->hue, 106);
    driver.click(30, 150); // the left step
    EXPECT_EQ(picker->shade, 3);
    EXPECT_EQ(picker->hue, 105);
    driver.click(190, 150); // the right step, twice: the shade stops at 4
    driver.click(190, 150);
    EXPECT_EQ(picker->shade, 4);
    EXPECT_EQ(picker->hue, 106);
}

TEST_F(HueGumpsTest, TheServersPickerIsOpenedOnceAndItsOkSendsTheChoice)
{
    CHueGump* picker = CHueGump::OpenForItem(0x40001234, 0x0102, 0x0EFF);
    EXPECT_EQ(CHueGump::OpenForItem(0x40001234, 0x0102, 0x0EFF), picker);
    EXPECT_EQ(picker->hue, 3);
    EXPECT_EQ(picker->shade, 1);
    EXPECT_EQ(picker->x, (640 - 270) / 2);
    EXPECT_EQ(picker->y, (480 - 180) / 2);
    // The item's art, in the hue, centred right of the palette.
    EXPECT_EQ(picker->Frame(0)->pixel(194 + (76 - 6) / 2, 34 + (80 - 6) / 2), 0x1234);

    const int left = picker->x, top = picker->y;
    driver.rightClick(left + 250, top + 20); // no cancel: the server waits for an answer
    EXPECT_TRUE(IsLiveGump(picker));
    driver.click(left + 34 + 8, top + 34 + 8); // row 1, column 1: 2 + 100 + 5 + 1
    driver.click(left + 208 + 5, top + 138 + 5);
    EXPECT_FALSE(IsLiveGump(picker));
    const std::vector<uint8_t> reply{0x95, 0x40, 0x00, 0x12, 0x34, 0x01, 0x02, 0x00, 108};
    ASSERT_EQ(harness.packets().packets.size(), 1u);
    EXPECT_EQ(harness.packets().packets[0], reply);
}

TEST_F(HueGumpsTest, AnOwnersPickerHandsItTheHueOrTheCancel)
{
    auto* owner = new HueOwner();
    CHueGump* picker = CHueGump::CHueGumpWithTitle(100, 100, -1, owner, "Speech", 17);
    picker->AttachToParent(nullptr);
    EXPECT_EQ(picker->shade, 0);
    picker->setFirstField = 1;
    picker->callApply = 1;
    driver.click(100 + 208 + 5, 100 + 138 + 5);
    EXPECT_EQ(owner->take(), (std::vector<std::string>{"field 0 17", "apply 17"}));

    picker = CHueGump::CHueGumpWithTitle(100, 100, -1, owner, "Speech", 17);
    picker->AttachToParent(nullptr);
    picker->setSecondField = 1;
    picker->callApply = 1;
    driver.rightClick(100 + 250, 100 + 20);
    EXPECT_FALSE(IsLiveGump(picker));
    EXPECT_EQ(owner->take(), std::vector<std::string>{"apply -1"});

    // An owner gone before the picker closes is not called.
    picker = CHueGump::CHueGumpWithTitle(100, 100, -1, owner, "Speech", 17);
    picker->AttachToParent(nullptr);
    picker->callApply = 1;
    CGumpManager::DestroyGump(owner);
    CGumpManager::DestroyGump(picker);
    EXPECT_FALSE(IsLiveGump(picker));
}

} // namespace
