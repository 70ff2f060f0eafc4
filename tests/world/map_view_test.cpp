/** @file Tests of the map view's world side: statics of the block window placed and released, land items around the centre, wrapping steps. */
#include "client/world/map_view.h"

#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/world/world_test_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

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
