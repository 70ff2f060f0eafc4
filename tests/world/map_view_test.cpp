/** @file Tests of the map view's world side: statics of the block window placed and released, land items around the centre, wrapping steps. */
#include "client/world/map_view.h"

#include "client/world/map_cell_source.h"

#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/world/world_test_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using namespace testsupport;

class MapViewTest : public WorldTest {
protected:
    MapViewTest()
    {
        // 64 block columns: cells x 0..511 hold blocks.
        for (uint32_t y = 70; y < 130; ++y)
            for (uint32_t x = 70; x < 130; ++x) data.map().setCell(x, y, 3, 0);
        const uint32_t block = (101 >> 3) * 512 + (101 >> 3);
        data.indexed(2).add(block, formats::encodeStatics({{G_WALL, 101 & 7, 101 & 7, 0, 0}, {0x4005, 0, 0, 0, 7}}));
        data.write();
        cache = std::make_unique<ScopedDataCache>(data.folder());
        MapManager::ResetBlockWindow();
    }
    ~MapViewTest() override
    {
        MapView::ResetBlockWindow();
        cache.reset();
    }
    static int32_t landItems()
    {
        int32_t n = 0;
        for (CDrawItem* head : DrawMapThingie::table)
            for (CDrawItem* item = head; item != nullptr; item = item->nextDraw) n += item->IsLand();
        return n;
    }
    TempDir dir;
    DataInstall data{dir.path(), 64};
    std::unique_ptr<ScopedDataCache> cache;
};

TEST_F(MapViewTest, TheWindowPlacesAndReleasesStaticsAndLandFillsTheView)
{
    MapView::Refresh();
    EXPECT_EQ(landItems(), 37 * 37);
    EXPECT_EQ(MapManager::WindowCornerX, (100 - 18) >> 3);
    EXPECT_EQ(std::count_if(MapView::LoadedBlocks().begin(), MapView::LoadedBlocks().end(),
                            [](int32_t id) { return id >= 0; }),
              36);
    CObj* wall = CObjectManager::FindObjectSpanningZ(101, 101, 5);
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(wall->graphic, G_WALL);
    EXPECT_EQ(wall->GetSerial(), 0u);
    const CObj* high = CObjectManager::FindObjectSpanningZ(96, 96, 0);
    EXPECT_TRUE(high == nullptr || high->graphic == 1) << "a graphic of 0x4000 or more is made graphic 1";
    MapView::Refresh();
    EXPECT_EQ(landItems(), 37 * 37) << "no cell gets a second land item";

    // A player the server gave serial 0 (a login may) is left outside the window: it stays.
    player->serial = 0;
    MapView::SetCenter(300, 300, 0);
    EXPECT_EQ(CObjectManager::FindObjectSpanningZ(101, 101, 5), nullptr) << "statics outside the window are released";
    EXPECT_EQ(World().player, player);
    EXPECT_EQ(player->locX, 100) << "the player was released while still the player";
    EXPECT_EQ(MapManager::CenterX, 300);
    EXPECT_EQ(landItems(), 37 * 37);
}

TEST_F(MapViewTest, ASmallerLandRadiusBuildsFewerCellsAndKeepsTheStaticsWindow)
{
    MapView::SetLandRadius(2);
    MapView::Refresh();
    const int32_t built = landItems();
    const int32_t corner = MapManager::WindowCornerX;
    MapView::SetLandRadius(40);
    const int32_t clamped = MapView::LandRadius();
    MapView::SetLandRadius(18);
    EXPECT_EQ(built, 5 * 5);
    EXPECT_EQ(corner, (100 - 18) >> 3) << "the statics window does not follow the land radius";
    EXPECT_NE(CObjectManager::FindObjectSpanningZ(101, 101, 5), nullptr);
    EXPECT_EQ(clamped, 18);
}

TEST_F(MapViewTest, LandItemsTakeTheirTileAndShapeFromTheMap)
{
    // A hill with a cell of untextured land on it, and a view reaching over the wrap edge.
    cache.reset();
    for (uint32_t y = 90; y < 100; ++y)
        for (uint32_t x = 90; x < 100; ++x) data.map().setCell(x, y, 3, static_cast<int8_t>((x + y) % 7 * 4));
    data.map().setCell(95, 95, 0x20, 12);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x) data.map().setCell(x, y, 3, static_cast<int8_t>(x * y % 5));
    data.write();
    cache = std::make_unique<ScopedDataCache>(data.folder());

    struct Centre {
        int32_t x, y;
    };
    for (const Centre c : {Centre{96, 94}, Centre{4, 3}}) {
        MapView::SetCenter(c.x, c.y, 0);
        int32_t sloped = 0;
        for (int32_t y = c.y - 18; y <= c.y + 18; ++y) {
            for (int32_t x = c.x - 18; x <= c.x + 18; ++x) {
                const CDrawItem* item = DrawMapThingie::table[static_cast<size_t>(DrawMapThingie::CellIndex(x, y))];
                while (item != nullptr && !(item->IsLand() && item->locX == x && item->locY == y)) item = item->nextDraw;
                ASSERT_NE(item, nullptr) << x << "," << y;
                const auto* land = static_cast<const CLandTile*>(item);
                // The map cell: the view wraps once over the edges of the wrapping world.
                const int32_t cx = x < 0 ? x + MapManager::WrapWidth() : x;
                const int32_t cy = y < 0 ? y + MapManager::WrapHeight() : y;
                const uint16_t id = MapManager::GetLandTileId(cx, cy);
                const LandShape shape = GetLandShape(cx, cy, id, TileData::Land(id & 0x3FFF).textureId != 0);
                EXPECT_EQ(land->landGraphic, shape.id) << x << "," << y;
                ASSERT_EQ(land->IsSlopedLand() != 0, shape.sloped) << x << "," << y;
                if (shape.sloped) {
                    ++sloped;
                    const auto* s = static_cast<const CSlopedLandTile*>(land);
                    EXPECT_EQ(std::vector<int>(s->corners.begin(), s->corners.end()),
                              std::vector<int>(shape.corners, shape.corners + 4))
                        << x << "," << y;
                } else {
                    EXPECT_EQ(land->z, shape.z) << x << "," << y;
                }
            }
        }
        EXPECT_GT(sloped, 20) << "the hill is drawn sloped";
    }
}

TEST_F(MapViewTest, StepsAcrossTheWrapEdgeShiftTheItems)
{
    MapView::SetCenter(5119, 100, 0);
    CObj* marker = NewStaticObj(G_WALL);
    marker->PlaceAt(5119, 101, 0);
    MapView::StepView(1, 0, 0);
    EXPECT_EQ(MapManager::CenterX, 0);
    EXPECT_EQ(marker->locX, -1) << "every draw item moves by the wrap width";
    EXPECT_EQ(MapManager::CenterZ, 0);
}

} // namespace
