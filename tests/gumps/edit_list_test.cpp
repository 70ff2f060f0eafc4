/** @file Tests of the edit list: rows, the "(new)" row filled by picking, deleting rows, scrolling, dragging its window. */
#include "client/data/span_routines.h"
#include "client/gumps/framework/button_gump.h"
#include "client/gumps/framework/edit_list.h"
#include "client/world/world_objects.h"
#include "platform/window/virtual_keys.h"
#include "tests/gumps/text_entry_fixture.h"

namespace {

using testsupport::TestImage;
using Events = std::vector<std::string>;
namespace vk = platform::vk;

constexpr int kListArt = 400;

class PickedMobile : public CObj {
public:
    uint32_t GetSerial() const override { return 0x0BADF00D; }
};

class EditListTest : public testsupport::TextEntryTest {
protected:
    void addArt() override
    {
        harness.addGumpArt(kListArt, TestImage::solid(160, 88, 0x0011));
        harness.addGumpArt(kListArt + 1, TestImage::solid(160, 88, 0x0022));
        harness.addGumpArt(5031, TestImage::solid(136, 16, 0x0033));
        for (int i = 2435; i <= 2438; ++i)
            harness.addGumpArt(i, TestImage::solid(10, 10, static_cast<uint16_t>(i)));
    }

    /** An edit list at (20, 30) of the window with rows "a" .. for the texts given. */
    CEditListGump* list(std::vector<std::string> rows, int newRowMode, int limit = 10)
    {
        auto* l = new CEditListGump(20, 30, 0, 0, kListArt, limit);
        l->newRowMode = newRowMode;
        l->AttachToParent(window);
        for (const std::string& r : rows)
            l->AddEntry(r, 0);
        return l;
    }
    static std::vector<std::string> texts(const CEditListGump* l)
    {
        std::vector<std::string> out;
        for (EditListRow* r = l->FirstRow(); r != nullptr; r = r->next)
            out.emplace_back(r->control->Text());
        return out;
    }
    static CInputControlGump* rowField(const CEditListGump* l, int index)
    {
        EditListRow* r = l->FirstRow();
        for (int i = 0; i < index && r != nullptr; ++i)
            r = r->next;
        return r != nullptr ? r->control : nullptr;
    }
};

TEST_F(EditListTest, RowsArePlacedDownTheListUpToItsLimit)
{
    CEditListGump* l = list({"a", "b", "c", "d", "e", "f"}, 0, 5);
    EXPECT_EQ(l->RowCount(), 5);
    std::vector<int> ys, shown;
    for (EditListRow* r = l->FirstRow(); r != nullptr; r = r->next) {
        ys.push_back(r->control->y);
        shown.push_back(r->control->visible);
        EXPECT_EQ(r->control->Limit(), CEditListGump::kRowTextLimit);
    }
    EXPECT_EQ(ys, (std::vector<int>{3, 20, 38, 55, 73}));
    EXPECT_EQ(shown, (std::vector<int>{1, 1, 1, 1, 0})); // 73 + 17 is past the 88-pixel list
    EXPECT_EQ(l->scrollDownButton->visible, 1);
    EXPECT_EQ(l->scrollUpButton->visible, 0);
}

TEST_F(EditListTest, PickingAPlayerIntoTheNewRowAddsAFreshNewRow)
{
    CEditListGump* l = list({"(new)"}, 1);
    CGumpManager::WorldHooks().isMobile = [](CObj* o) { return dynamic_cast<PickedMobile*>(o) != nullptr; };
    CInputControlGump* row = rowField(l, 0);
    EXPECT_EQ(row->editable, 0);
    clickField(row);
    clickField(row);
    ASSERT_EQ(CInputControlGump::PendingPickField(), row);
    take();
    PickedMobile mobile;
    CInputControlGump::PickCallback(&mobile);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"(mobile)", "(new)"}));
    EXPECT_EQ(take(), Events{"changed"});
    CInputControlGump::TakePickedName("Mira");
    EXPECT_EQ(texts(l), (std::vector<std::string>{"Mira", "(new)"}));
}

TEST_F(EditListTest, TypingFillsTheLastRowAndEmptyingAMiddleRowDeletesIt)
{
    CEditListGump* l = list({"ab", "x", ""}, 0);
    clickField(rowField(l, 2));
    type("q");
    EXPECT_EQ(texts(l), (std::vector<std::string>{"ab", "x", "q", ""}));

    // Tab moves to the next row; emptying that middle row deletes it and the focus goes up.
    clickField(rowField(l, 0));
    driver.typeChar(9);
    EXPECT_EQ(CGumpManager::Focus(), rowField(l, 1));
    take();
    driver.keyDown(vk::End);
    driver.typeChar(8);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"ab", "q", ""}));
    EXPECT_EQ(CGumpManager::Focus(), rowField(l, 0));
    EXPECT_EQ(rowField(l, 0)->caret, 2);
    EXPECT_EQ(rowField(l, 1)->y, 38 - 17); // the rows below moved up by the row pitch
    EXPECT_EQ(take(), (Events{"changed", "changed"}));
    harness.drawFrame(); // the deleted field is gone from the tree
    EXPECT_EQ(l->RowCount(), 3);
}

TEST_F(EditListTest, DeleteRemovesTheSelectedRowButNeverTheLastOne)
{
    CEditListGump* l = list({"a", "b", "(new)"}, 1);
    clickField(rowField(l, 2));
    EXPECT_EQ(CGumpManager::Focus(), l);
    EXPECT_EQ(rowField(l, 2)->colour, CEditListGump::kSelectedColour);
    driver.keyDown(vk::Delete);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"a", "b", "(new)"}));

    clickField(rowField(l, 0));
    EXPECT_EQ(rowField(l, 2)->colour, CEditListGump::kNormalColour);
    driver.keyDown(vk::Delete);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"b", "(new)"}));
    EXPECT_EQ(rowField(l, 0)->y, 3);
}

TEST_F(EditListTest, ScrollingMovesEveryRowAndShowsOnlyWholeOnes)
{
    CEditListGump* l = list({"a", "b", "c", "d", "e", "f"}, 0);
    l->ScrollDown();
    EXPECT_EQ(l->topIndex, 1);
    EXPECT_EQ(rowField(l, 0)->visible, 0);
    EXPECT_EQ(rowField(l, 1)->y, 3);
    EXPECT_EQ(rowField(l, 5)->visible, 1);
    EXPECT_EQ(l->scrollUpButton->visible, 1);
    for (int i = 0; i < 10; ++i)
        l->ScrollDown();
    EXPECT_EQ(l->topIndex, 5);
    EXPECT_EQ(l->scrollDownButton->visible, 0);
    for (int i = 0; i < 10; ++i)
        l->ScrollUp();
    EXPECT_EQ(l->topIndex, 0);
    EXPECT_EQ(rowField(l, 0)->y, 3);
    EXPECT_EQ(rowField(l, 0)->visible, 1);
    EXPECT_EQ(l->scrollUpButton->visible, 0);
}

TEST_F(EditListTest, RowsComingAndGoingInABurstShowWhatAFrameAfterEachKeyShows)
{
    // Each case is typed twice: once with a frame after every key, once as a burst and one frame.
    // The screens match, the burst marks the list dirty, and the list's background is the one a
    // list made with the final rows paints.
    struct Case {
        const char* what;
        int newRowMode;
        std::vector<std::string> rows;
        int focusRow;
        std::string keys; // '~' Backspace, '\t' Tab
    } const cases[] = {
        {"rows added at the end, scrolled to", 0, {"ab", ""}, 1, "x\ty\tz\tw\tv\tu"},
        {"middle rows emptied and deleted", 0, {"ab", "cd", "e", ""}, 1, "~~~\tf~q"},
        {"new rows filled and emptied again", 1, {"(new)"}, 0, "a~~~~~~b~~~~~~c"},
    };
    auto press = [&](char k) { driver.typeChar(k == '~' ? 8 : static_cast<uint8_t>(k)); };
    const GumpRect area = window->ScreenRect();
    for (const Case& c : cases) {
        CEditListGump* l = list(c.rows, c.newRowMode, 6);
        CGumpManager::SetFocus(rowField(l, c.focusRow));
        harness.drawFrame();
        for (char k : c.keys) {
            press(k);
            harness.drawFrame();
        }
        const std::vector<uint16_t> afterEachKey = harness.framePixels(area);
        const std::vector<std::string> rowsAfter = texts(l);
        const int topAfter = l->topIndex;
        delete l;

        l = list(c.rows, c.newRowMode, 6);
        CGumpManager::SetFocus(rowField(l, c.focusRow));
        harness.drawFrame();
        CGumpManager::TakeDirty();
        for (char k : c.keys)
            press(k);
        const GumpRect dirty = CGumpManager::TakeDirty();
        const GumpRect listRect = l->ScreenRect();
        EXPECT_EQ(dirty.intersect(listRect).width() * dirty.intersect(listRect).height(),
                  listRect.width() * listRect.height())
            << c.what;
        harness.drawFrame();
        EXPECT_EQ(texts(l), rowsAfter) << c.what;
        EXPECT_EQ(harness.framePixels(area), afterEachKey) << c.what;

        CEditListGump* fresh = list(rowsAfter, c.newRowMode, 6);
        for (int i = 0; i < topAfter; ++i)
            fresh->ScrollDown();
        fresh->visible = 0;
        harness.drawFrame(); // a hidden list paints nothing
        fresh->visible = 1;
        harness.drawFrame();
        EXPECT_EQ(l->Frame(0)->pixels, fresh->Frame(0)->pixels) << c.what;
        // The rows' art reaches 9 pixels below the last row.
        const int reach = (l->RowCount() - l->topIndex) * CEditListGump::kRowPitch + 9;
        EXPECT_EQ(l->Frame(0)->pixel(5, reach - 1), 0x0022) << c.what;
        if (reach < l->height) {
            EXPECT_EQ(l->Frame(0)->pixel(5, reach), 0x0011) << c.what;
        }
        delete fresh;
        delete l;
    }
}

TEST_F(EditListTest, ARowTypedIntoIsShownInTheNormalColourWhateverItWasBefore)
{
    // A kept key marks the row, and the list gives it the normal colour: the row's picture after
    // the keys is the one a fresh field with its text, caret and focus paints, even when the row
    // was painted selected, resized since its painting, or told of a change from outside.
    struct Case {
        const char* what;
        int newRowMode;
        std::vector<std::string> rows;
        int row;
        bool selected;
        int widthBeforeKeys; // 0: left alone
        std::string keys;    // empty: the list is told of a change without a key
    } const cases[] = {
        {"middle row", 0, {"ab", "cd", ""}, 1, false, 0, "x"},
        {"middle row, selected", 0, {"ab", "cd", ""}, 1, true, 0, "xy"},
        {"last row filled, selected", 0, {"ab", ""}, 1, true, 0, "q"},
        {"new row picked into, selected", 1, {"(new)"}, 0, true, 0, "z"},
        {"middle row, selected and widened", 0, {"ab", "cd", ""}, 1, true, 140, "x"},
        {"last row, selected and narrowed", 0, {"ab", ""}, 1, true, 100, "q"},
        {"selected row told of a change from outside", 0, {"ab", "cd", ""}, 1, true, 0, ""},
    };
    // The selected and the normal colour draw the text in colours of their own.
    std::vector<uint16_t> hues(static_cast<size_t>(kHueEntryWords) * CEditListGump::kNormalColour, 0);
    for (int i = 0; i < 32; ++i) {
        hues[static_cast<size_t>((CEditListGump::kSelectedColour - 1) * kHueEntryWords + i)] = 0x1111;
        hues[static_cast<size_t>((CEditListGump::kNormalColour - 1) * kHueEntryWords + i)] = 0x2222;
    }
    setSpanHueTable(hues.data(), CEditListGump::kNormalColour);
    for (const Case& c : cases) {
        CEditListGump* l = list(c.rows, c.newRowMode);
        CInputControlGump* row = rowField(l, c.row);
        if (c.selected)
            l->OnChildPress(row);
        CGumpManager::SetFocus(row);
        harness.drawFrame();
        ASSERT_EQ(row->Frame(0)->width, CEditListGump::kRowWidth) << c.what;
        if (c.widthBeforeKeys != 0)
            row->width = c.widthBeforeKeys;
        CGumpManager::TakeDirty();
        if (c.keys.empty())
            l->OnChildChanged(row);
        type(c.keys);
        EXPECT_EQ(row->colour, CEditListGump::kNormalColour) << c.what;
        const GumpRect dirty = CGumpManager::TakeDirty();
        const GumpRect rect = row->ScreenRect();
        EXPECT_EQ(dirty.intersect(rect).width() * dirty.intersect(rect).height(), rect.width() * rect.height())
            << c.what;
        const GumpBitmap shown = *row->Picture();

        auto* fresh = new CInputControlGump(0, 0, window, row->width, row->height, CInputControlGump::ModeText,
                                            CEditListGump::kRowTextLimit, CEditListGump::kRowFont,
                                            CEditListGump::kNormalColour, 1, 0, 0);
        fresh->SetText(row->Text());
        fresh->caret = row->caret;
        fresh->firstShown = row->firstShown;
        CGumpManager::SetFocus(fresh);
        const GumpBitmap* expected = fresh->Picture();
        EXPECT_EQ(shown.width, expected->width) << c.what;
        EXPECT_EQ(shown.pixels, expected->pixels) << c.what;
        CGumpManager::SetFocus(nullptr);
        delete fresh;
        delete l;
    }
    setSpanHueTable(nullptr, 0);
}

TEST_F(EditListTest, RowsComeAndGoAndScrollByTheRowArtHeightPlusOne)
{
    // A Tab to a row below the list scrolls it one step, a row emptied while the row above is
    // scrolled out of view scrolls back and goes (the rows below move up), and the scroll steps
    // move every row: all by the height of art 5031 plus 1.
    CEditListGump* l = list({"a", "b", "c", "d", "e", ""}, 0);
    const int pitch = 16 + 1;
    auto ys = [&] {
        std::vector<int> out;
        for (EditListRow* r = l->FirstRow(); r != nullptr; r = r->next)
            out.push_back(r->control->y);
        return out;
    };
    auto movedBy = [](std::vector<int> v, size_t from, int dy) {
        for (size_t i = from; i < v.size(); ++i)
            v[i] += dy;
        return v;
    };
    std::vector<int> before = ys();
    CGumpManager::SetFocus(rowField(l, 4));
    driver.typeChar(9);
    EXPECT_EQ(CGumpManager::Focus(), rowField(l, 5));
    EXPECT_EQ(l->topIndex, 1);
    EXPECT_EQ(ys(), movedBy(before, 0, -pitch));

    before = ys();
    CGumpManager::SetFocus(rowField(l, 1));
    driver.keyDown(vk::End);
    driver.typeChar(8);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"a", "c", "d", "e", ""}));
    EXPECT_EQ(CGumpManager::Focus(), rowField(l, 0));
    EXPECT_EQ(l->topIndex, 0);
    before = movedBy(before, 0, pitch);
    before.erase(before.begin() + 1);
    EXPECT_EQ(ys(), movedBy(before, 1, -pitch));

    before = ys();
    l->ScrollDown();
    EXPECT_EQ(ys(), movedBy(before, 0, -pitch));
    l->ScrollUp();
    EXPECT_EQ(ys(), before);
}

TEST_F(EditListTest, DraggingTheEmptyPartOfTheListMovesItsWindow)
{
    CEditListGump* l = list({"a"}, 0);
    // The list lies at (120, 130) on the screen; its empty part is below the rows.
    driver.drag(150, 200, 160, 215);
    EXPECT_EQ(window->x, kWindowX + 10);
    EXPECT_EQ(window->y, kWindowY + 15);
    EXPECT_EQ(l->pressed, 0);
}

} // namespace
