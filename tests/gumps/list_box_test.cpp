/** @file Tests of the drop-down list box, the yes/no question and the drawing routines of frames, bars and columns. */
#include "client/gumps/framework/gump_drawing.h"
#include "client/gumps/framework/list_box.h"
#include "client/gumps/framework/mouse_manager.h"
#include "tests/gumps/text_entry_fixture.h"

namespace {

using testsupport::TestImage;
using Events = std::vector<std::string>;

constexpr int kListArt = 300;

class ListBoxTest : public testsupport::TextEntryTest {
protected:
    void addArt() override
    {
        harness.addGumpArt(kListArt, TestImage::solid(100, 10, 0x0011));
        for (int i = 1; i <= 3; ++i)
            harness.addGumpArt(kListArt + i, TestImage::solid(90, 5, static_cast<uint16_t>(0x0020 + i)));
        harness.addGumpArt(kListArt + 4, TestImage::solid(100, 6, 0x0031));
        harness.addGumpArt(5109, TestImage::solid(4, 14, 0x0100));
        harness.addGumpArt(5110, TestImage::solid(4, 14, 0x0100));
        harness.addGumpArt(2435, TestImage::solid(8, 6, 0x0200));
        harness.addGumpArt(2437, TestImage::solid(8, 6, 0x0300));
        harness.addGumpArt(2070, TestImage::solid(180, 110, 0x0400));
        for (int i = 2071; i <= 2076; ++i)
            harness.addGumpArt(i, TestImage::solid(20, 20, static_cast<uint16_t>(i)));
        // A frame whose ornament pieces are long for the edge (see the ornament test).
        for (int i = 0; i < 9; ++i)
            harness.addGumpArt(600 + i, TestImage::solid(4, 4, static_cast<uint16_t>(0x0500 + i)));
        harness.addGumpArt(611, TestImage::solid(100, 3, 0x0600));
        harness.addGumpArt(612, TestImage::solid(1, 3, 0x0601));
    }

    /** An art list box at (x, y) on the screen, shown, with n items "item 0" .. and the field as target. */
    CListBoxControlGump* list(int n, int visibleRows = 0, int x0 = 200, int y0 = 100)
    {
        auto* box = new CListBoxControlGump(x0, y0, kListArt, 0, 0, 1, 902, visibleRows);
        for (int i = 0; i < n; ++i)
            box->AddItem(100 + i, ("item " + std::to_string(i)).c_str());
        box->visible = 1;
        box->AttachToParent(nullptr);
        return box;
    }
};

TEST_F(ListBoxTest, AddItemGrowsTheBoxKeepsItOnScreenAndStopsAtAHundred)
{
    CListBoxControlGump* box = list(0, 0, 200, 300);
    EXPECT_EQ(box->height, 16);
    box->AddItem(1, "one");
    EXPECT_EQ(box->height, 30);
    for (int i = 0; i < 120; ++i)
        box->AddItem(i, "x");
    EXPECT_EQ(box->ItemCount(), 100);
    EXPECT_GE(box->y, 0);
    EXPECT_EQ(box->height, 16 + 14 * 100);

    CListBoxControlGump* scrolling = list(0, 5, 200, 450);
    for (int i = 0; i < 8; ++i)
        scrolling->AddItem(i, "y");
    EXPECT_EQ(scrolling->height, 16 + 14 * 5); // grows only while the items fit the visible rows
    EXPECT_EQ(scrolling->y + scrolling->height, 460);

    // Texts are cut to 40 characters; a wide one widens the box around its middle.
    box->AddItem(7, std::string(60, 'w').c_str());
    CListBoxControlGump* narrow = list(0);
    narrow->AddItem(1, std::string(60, 'w').c_str());
    EXPECT_EQ(narrow->ItemText(0), std::string(40, 'w'));
    EXPECT_EQ(narrow->width, 40 * kGlyphWidth + 12);
    EXPECT_EQ(narrow->x, 200 - (40 * kGlyphWidth + 12 - 100) / 2);
}

TEST_F(ListBoxTest, ReleasingOnAnItemFillsTheTargetFieldAndClosesTheBox)
{
    CInputControlGump* target = field(120, CInputControlGump::ModeDropDown);
    CListBoxControlGump* box = list(3);
    box->targetField = target;
    take();
    // Rows start under the 10-pixel top piece, 14 pixels apart: row 1 at y 24-37.
    driver.move(250, 105);
    driver.leftDown(250, 105);
    driver.move(250, 130);
    driver.pass();
    EXPECT_EQ(box->hoveredItem, 1);
    driver.leftUp(250, 130);
    EXPECT_FALSE(IsLiveGump(box) && box->visible != 0);
    EXPECT_EQ(std::string(target->Text()), "item 1");
    EXPECT_EQ(target->value, 101);
    EXPECT_EQ(take(), Events{"changed"});
    EXPECT_EQ(MouseManager::Capture(), nullptr);
}

TEST_F(ListBoxTest, ARowWithoutAnItemChoosesNothing)
{
    CInputControlGump* target = field(120, CInputControlGump::ModeDropDown);
    target->SetText("kept");
    CListBoxControlGump* box = list(2);
    box->targetField = target;
    box->height += 40; // room below the last item inside the item area
    take();
    driver.move(250, 105);
    driver.leftDown(250, 105);
    driver.move(250, 100 + 10 + 14 * 2 + 3);
    driver.pass();
    EXPECT_EQ(box->hoveredItem, -1);
    driver.leftUp(250, 100 + 10 + 14 * 2 + 3);
    EXPECT_EQ(std::string(target->Text()), "kept");
    EXPECT_TRUE(take().empty());
}

TEST_F(ListBoxTest, HoldingThePointerBelowAScrollingBoxScrollsOneItemPerTick)
{
    CListBoxControlGump* box = list(6, 3);
    driver.move(250, 105);
    driver.leftDown(250, 105);
    driver.move(250, box->y + box->height + 20);
    driver.pass();
    driver.pass();
    EXPECT_EQ(box->firstShown, 2);
    for (int i = 0; i < 5; ++i)
        driver.pass();
    EXPECT_EQ(box->firstShown, 3); // never past the last full page
    driver.move(250, box->y - 10);
    driver.pass();
    EXPECT_EQ(box->firstShown, 2);
}

TEST_F(ListBoxTest, TheYesNoQuestionIsModalCentredAndRunsItsActions)
{
    std::vector<std::string> ran;
    auto* question = new CYesNoGump(
        "Quit?", [&](CYesNoGump& g) { ran.push_back("first " + std::to_string(g.callerValue)); },
        [&](CYesNoGump&) { ran.push_back("second"); }, 7);
    EXPECT_EQ(CGumpManager::Modal(), question);
    EXPECT_EQ(question->x, 320 - 90);
    EXPECT_EQ(question->y, 240 - 55);
    EXPECT_EQ(question->IsClosable(), 0);
    driver.click(question->x + 105, question->y + 80);
    driver.click(question->x + 40, question->y + 80);
    EXPECT_EQ(ran, (std::vector<std::string>{"first 7", "second"}));
    CGumpManager::DestroyGump(question);
    EXPECT_EQ(CGumpManager::Modal(), nullptr);
}

TEST_F(ListBoxTest, FramesPlaceTheirPiecesAndOrnamentsAlwaysEnd)
{
    GumpBitmap bitmap(20, 12);
    DrawGumpArtFrame(600, bitmap, 1);
    EXPECT_EQ(bitmap.pixel(0, 0), 0x0500);
    EXPECT_EQ(bitmap.pixel(10, 0), 0x0501);
    EXPECT_EQ(bitmap.pixel(19, 0), 0x0502);
    EXPECT_EQ(bitmap.pixel(0, 6), 0x0503);
    EXPECT_EQ(bitmap.pixel(10, 6), 0x0504);
    EXPECT_EQ(bitmap.pixel(19, 6), 0x0505);
    EXPECT_EQ(bitmap.pixel(0, 11), 0x0506);
    EXPECT_EQ(bitmap.pixel(10, 11), 0x0507);
    EXPECT_EQ(bitmap.pixel(19, 11), 0x0508);

    // A 100-pixel first piece on a 182-pixel edge often leaves no place for the second one at
    // least 110 pixels away; such a pair is left out instead of searched for ever.
    int drawn = 0;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        FrameOrnamentRandom().seed(seed);
        GumpBitmap wide(182, 30);
        DrawGumpArtFrame(600, wide, 0);
        bool found = false;
        for (int x = 0; x < 182; ++x)
            found = found || wide.pixel(x, 0) == 0x0601;
        drawn += found ? 1 : 0;
    }
    EXPECT_GT(drawn, 0);
    EXPECT_LT(drawn, 200);

    // Nothing to draw into, nothing drawn.
    GumpBitmap empty;
    DrawGumpArtFrame(600, empty, 0);
    DrawGumpArtFrameRect(5, 5, 0, -3, 600, bitmap, 0);
    DrawHighlightBar(0, 0, -4, 5109, bitmap);
    EXPECT_EQ(bitmap.pixel(5, 5), 0x0504);
}

TEST_F(ListBoxTest, TheColumnOfArtCyclesItsPiecesAndStopsAtTheEndPiece)
{
    GumpBitmap column(100, 40);
    DrawTiledColumnArt(kListArt, 3, column, 0, 0);
    EXPECT_EQ(column.pixel(0, 0), 0x0011);
    EXPECT_EQ(column.pixel(50, 9), 0x0021);  // the first middle piece starts a pixel above the top's bottom
    EXPECT_EQ(column.pixel(50, 14), 0x0022);
    EXPECT_EQ(column.pixel(50, 19), 0x0023);
    EXPECT_EQ(column.pixel(50, 24), 0x0021);
    EXPECT_EQ(column.pixel(0, 10), 0);       // narrower pieces are centred
    EXPECT_EQ(column.pixel(0, 34), 0x0031);  // the end piece at 1 pixel above the limit
    // Missing middle pieces never stall the column.
    GumpBitmap other(100, 40);
    DrawTiledColumnArt(700, 3, other, 0, 0);
    EXPECT_EQ(other.pixel(0, 0), 0);
}

} // namespace
