/** @file Tests of the draw item base and the draw grid: list order, unlinking, re-centring and purges. */
#include "client/world/draw_item.h"
#include "client/world/world_draw_services.h"

#include "client/data/map_manager.h"
#include "tests/core/report_sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Kinds {
    bool land = false;
    bool player = false;
    bool mobile = false;
    bool party = false;
    bool purgeable = true;
    bool shift = false;
};

/** A draw item with settable answers; counts its releases instead of deleting itself. */
class TestItem : public CDrawItem {
public:
    TestItem(int id_, int16_t x, int16_t y, int16_t zz, Kinds k = {}) : id(id_), kinds(k)
    {
        locX = x;
        locY = y;
        z = zz;
    }
    ~TestItem() override
    {
        if (inList != 0) UnlinkFromDrawList();
    }
    void Release() override { ++released; }
    void DrawClip(const WorldRect&) override {}
    void CalcScreenRect() override { rect = {locX * 10, locY * 10, locX * 10 + 10, locY * 10 + 10}; }
    int IsLand() const override { return kinds.land; }
    int IsPlayer() const override { return kinds.player; }
    int IsMobile() const override { return kinds.mobile || kinds.player; }
    int IsPartyMember() const override { return kinds.party; }
    int IsPurgeable() const override { return kinds.purgeable; }
    int HasCellShift() const override { return kinds.shift; }

    int id;
    Kinds kinds;
    int released = 0;
};

class RecordingDraw : public WorldDrawServices {
public:
    void InvalidateWorldRect(const WorldRect& r) override { dirty.push_back(r); }
    void RedrawAll() override { ++redrawAll; }
    std::vector<WorldRect> dirty;
    int redrawAll = 0;
};

class DrawGridTest : public ::testing::Test {
protected:
    DrawGridTest()
    {
        DrawMapThingie::Clear();
        MapManager::SetMap(0);
        SetWorldDrawServices(&draw);
    }
    ~DrawGridTest() override
    {
        DrawMapThingie::Clear();
        SetWorldDrawServices(nullptr);
        SetRangePlayer(nullptr);
    }
    /** The ids of cell (x, y) from head to tail, checking the back links on the way. */
    static std::vector<int> cell(int32_t x, int32_t y)
    {
        std::vector<int> ids;
        const CDrawItem* prev = nullptr;
        for (const CDrawItem* i = DrawMapThingie::table[static_cast<size_t>(DrawMapThingie::CellIndex(x, y))]; i != nullptr;
             i = i->nextDraw) {
            EXPECT_EQ(i->prevDraw, prev);
            ids.push_back(static_cast<const TestItem*>(i)->id);
            prev = i;
        }
        return ids;
    }
    static void centre(int32_t x, int32_t y)
    {
        MapManager::CenterX = x;
        MapManager::CenterY = y;
        DrawMapThingie::Recenter();
    }
    RecordingDraw draw;
};

TEST_F(DrawGridTest, ListsSortByKeyWithArrivalOrderAndLandFirstOnTies)
{
    TestItem a(1, 5, 5, 10), b(2, 5, 5, 10), c(3, 5, 5, 3), land(4, 5, 5, 10, {.land = true}), top(5, 5, 5, 40);
    for (TestItem* i : {&a, &b, &c, &land, &top}) i->AddToDrawList();
    EXPECT_EQ(cell(5, 5), (std::vector<int>{3, 4, 1, 2, 5}));
    EXPECT_EQ(a.rowKey, 10);
    EXPECT_EQ(a.columnKey, MapManager::MapWidth());
    EXPECT_EQ(DrawMapThingie::GetTopItem(5 + 64, 5), &top); // cells are taken & 63
    // Adding a listed item again moves it by its new key.
    a.z = 50;
    a.AddToDrawList();
    EXPECT_EQ(cell(5, 5), (std::vector<int>{3, 4, 2, 5, 1}));
    // Every visible insertion marked its rectangle dirty.
    EXPECT_EQ(draw.dirty.size(), 6u + 1u); // six adds, and the unlink of the re-add
}

TEST_F(DrawGridTest, CellShiftListsTheItemRightOfItsCell)
{
    TestItem m(1, 10, 10, 0, {.shift = true});
    m.cellShift = 2;
    m.AddToDrawList();
    EXPECT_EQ(cell(12, 8), std::vector<int>{1});
    EXPECT_TRUE(cell(10, 10).empty());
    m.RemoveFromDrawList();
    EXPECT_TRUE(cell(12, 8).empty());
    EXPECT_EQ(m.inList, 0);
}

TEST_F(DrawGridTest, UnlinkFixesNeighboursAndRepairsAWrongHead)
{
    TestItem a(1, 3, 3, 0), b(2, 3, 3, 1), c(3, 3, 3, 2);
    for (TestItem* i : {&a, &b, &c}) i->AddToDrawList();
    b.RemoveFromDrawList();
    EXPECT_EQ(cell(3, 3), (std::vector<int>{1, 3}));
    a.RemoveFromDrawList();
    EXPECT_EQ(cell(3, 3), std::vector<int>{3});

    testsupport::ReportSandbox sandbox;
    // A head slot that lost the item: the unlink logs and clears every head holding it.
    DrawMapThingie::table[static_cast<size_t>(DrawMapThingie::CellIndex(3, 3))] = nullptr;
    DrawMapThingie::table[7] = &c;
    c.RemoveFromDrawList();
    EXPECT_EQ(DrawMapThingie::table[7], nullptr);
    EXPECT_NE(sandbox.read("KZReport0.log").find("CDrawItem::RemoveFromDrawList(): code would have asserted because "
                                                 "'DrawMapThingie::table[locY][locX] == this' evaluates to 0."),
              std::string::npos);
}

TEST_F(DrawGridTest, DestroyingAListedItemUnlinksIt)
{
    TestItem a(1, 8, 8, 0);
    a.AddToDrawList();
    {
        TestItem b(2, 8, 8, 1);
        b.AddToDrawList();
    }
    EXPECT_EQ(cell(8, 8), std::vector<int>{1});
    EXPECT_EQ(DrawMapThingie::CountListed(), 1);
}

TEST_F(DrawGridTest, HiddenItemsAreNotDirtied)
{
    class Hidden : public TestItem {
    public:
        using TestItem::TestItem;
        int IsHidden() const override { return 1; }
    } h(1, 2, 2, 0);
    h.AddToDrawList();
    h.RemoveFromDrawList();
    EXPECT_TRUE(draw.dirty.empty());
}

TEST_F(DrawGridTest, RecenterPurgesTheColumnsAndRowsThatLeave)
{
    centre(100, 100); // the first move purges everything: the corner was -128, -128
    EXPECT_EQ(DrawMapThingie::cornerX, 68);
    EXPECT_EQ(DrawMapThingie::wrappedCornerX, 68 & 63);
    struct Case {
        const char* name;
        int32_t toX, toY;
        int expectedReleased; // of one item in every cell
    };
    const Case cases[] = {
        {"same place", 100, 100, 0},
        {"one column right", 101, 100, 64},
        {"one column left", 99, 100, 64},
        {"one row down", 100, 101, 64},
        {"one column and one row", 101, 101, 127},
        {"63 columns", 163, 100, 63 * 64},
        {"64 columns", 164, 100, 4096},
        {"64 rows up", 100, 36, 4096},
    };
    for (const Case& c : cases) {
        centre(100, 100);
        std::vector<std::unique_ptr<TestItem>> items;
        for (int32_t y = 0; y < 64; ++y)
            for (int32_t x = 0; x < 64; ++x) {
                items.push_back(std::make_unique<TestItem>(0, static_cast<int16_t>(68 + x), static_cast<int16_t>(68 + y), 0));
                items.back()->AddToDrawList();
            }
        centre(c.toX, c.toY);
        int released = 0;
        for (const auto& i : items) {
            released += i->released;
            EXPECT_EQ(i->released == 1, i->inList == 0) << c.name;
        }
        EXPECT_EQ(released, c.expectedReleased) << c.name;
        DrawMapThingie::Clear(); // the rest are destroyed unlisted
        for (const auto& i : items) i->inList = 0;
        DrawMapThingie::cornerX = 68;
        DrawMapThingie::cornerY = 68;
        DrawMapThingie::wrappedCornerX = DrawMapThingie::wrappedCornerY = 68 & 63;
    }
}

TEST_F(DrawGridTest, RecenterAcrossTheWrapSeamPurgesOnlyWhatLeaves)
{
    const int32_t w = MapManager::WrapWidth();
    centre(w - 2, 100); // corner w - 34
    TestItem keep(1, static_cast<int16_t>(w - 3), 100, 0);
    keep.AddToDrawList();
    centre(1, 100); // three cells east across the seam: three columns leave
    EXPECT_EQ(DrawMapThingie::cornerX, -31);
    EXPECT_EQ(keep.released, 0);
    EXPECT_EQ(keep.inList, 1);
}

TEST_F(DrawGridTest, PurgeKeepsThePlayerPartyMembersAndStatics)
{
    TestItem player(1, 4, 4, 0, {.player = true});
    TestItem party(2, 4, 4, 1, {.mobile = true, .party = true});
    TestItem stranger(3, 4, 4, 2, {.mobile = true});
    TestItem statik(4, 4, 4, 3, {.purgeable = false});
    TestItem land(5, 4, 4, 0, {.land = true, .purgeable = false});
    for (TestItem* i : {&player, &party, &stranger, &statik, &land}) i->AddToDrawList();
    DrawMapThingie::PurgeCell(DrawMapThingie::CellIndex(4, 4));
    EXPECT_EQ(cell(4, 4), (std::vector<int>{1, 4})); // the player comes back, the static stays
    EXPECT_EQ(draw.redrawAll, 1);
    EXPECT_EQ(party.released, 0);
    EXPECT_EQ(party.inList, 0);
    EXPECT_EQ(stranger.released, 1);
    EXPECT_EQ(land.released, 1);
    EXPECT_EQ(player.released, 0);

    TestItem land2(6, 4, 4, 0, {.land = true});
    land2.AddToDrawList();
    DrawMapThingie::PurgeCellLand(4, 4);
    EXPECT_EQ(land2.released, 1);
    EXPECT_EQ(cell(4, 4), (std::vector<int>{1, 4}));
}

TEST_F(DrawGridTest, VisibleOrderRunsBackToFront)
{
    DrawMapThingie::BuildVisibleOrder();
    ASSERT_EQ(DrawMapThingie::visibleCount, 1977);
    for (int32_t i = 1; i < DrawMapThingie::visibleCount; ++i) {
        const int32_t a = DrawMapThingie::visibleOrder[static_cast<size_t>(i - 1)];
        const int32_t b = DrawMapThingie::visibleOrder[static_cast<size_t>(i)];
        const int32_t sa = (a & 63) + (a >> 6), sb = (b & 63) + (b >> 6);
        EXPECT_TRUE(sa < sb || (sa == sb && (a & 63) < (b & 63))) << i;
    }
    DrawMapThingie::wrappedCornerX = 60;
    DrawMapThingie::wrappedCornerY = 62;
    EXPECT_EQ(DrawMapThingie::CellOfOffset(3 * 64 + 5), ((62 + 3) & 63) * 64 + ((60 + 5) & 63));
}

TEST_F(DrawGridTest, RangeQuestionsUseThePlayer)
{
    TestItem item(1, 110, 90, 0);
    EXPECT_EQ(item.IsInUpdateRange(), 0); // no player: nothing is in range
    TestItem player(2, 100, 100, 0, {.player = true});
    SetRangePlayer(&player);
    EXPECT_EQ(item.IsWithinRangeOfPlayer(10), 1);
    EXPECT_EQ(item.IsWithinRangeOfPlayer(9), 0);
    EXPECT_EQ(item.IsInUpdateRange(), 1);
    item.locX = 119;
    EXPECT_EQ(item.IsInUpdateRange(), 0);
}

TEST(RectsOverlapTest, OpenBounds)
{
    const WorldRect a{0, 0, 10, 10};
    EXPECT_EQ(RectsOverlap(a, {9, 9, 20, 20}), 1);
    EXPECT_EQ(RectsOverlap(a, {10, 0, 20, 10}), 0); // touching edges
    EXPECT_EQ(RectsOverlap(a, {0, 10, 10, 20}), 0);
    EXPECT_EQ(RectsOverlap(a, {-5, -5, 1, 1}), 1);
}

} // namespace
