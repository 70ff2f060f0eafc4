/** @file Tests of the walk rules over the live world: land and statics from the draw grid, mobiles from the mobiles list, the player's state. */
#include "client/world/world_cell_source.h"

#include "client/world/world_objects.h"
#include "tests/world/world_test_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace testsupport;

class LiveWorldHeights : public WorldTest {
protected:
    LiveWorldHeights()
    {
        for (int32_t y = 98; y <= 102; ++y)
            for (int32_t x = 98; x <= 102; ++x) {
                CLandTile* land = NewLandTile(3, x, y, 0);
                land->AddToDrawList();
                lands.push_back(land);
            }
        Terrain::SetCellSource(&source);
        player->statusPairs[4] = 10;
        player->statusPairs[5] = 5;
    }
    ~LiveWorldHeights() override
    {
        Terrain::SetCellSource(nullptr);
        for (CLandTile* land : lands) {
            land->RemoveFromDrawList();
            land->Release();
        }
    }
    static bool walkable(int32_t x, int32_t y, int32_t direction)
    {
        int32_t z = 0;
        return ChooseWalkZ(x, y, 0, direction, &z);
    }
    WorldCellSource source;
    std::vector<CLandTile*> lands;
};

TEST_F(LiveWorldHeights, StaticsMobilesAndThePlayersStateDecide)
{
    EXPECT_TRUE(walkable(100, 99, 0)) << "plain land";
    CObj* wall = NewStaticObj(G_WALL);
    wall->PlaceAt(101, 100, 0);
    EXPECT_FALSE(walkable(101, 100, 2)) << "a static wall";

    CObjectManager::HandleMove(mobile(0x50, 400, 100, 101));
    EXPECT_FALSE(walkable(100, 101, 4)) << "another mobile blocks";
    EXPECT_EQ(source.PlayerMovementClass(), kMoveWalk);
    player->statusPairs[5] = 10;
    EXPECT_TRUE(walkable(100, 101, 4)) << "not while the player's third pair is equal";
    player->statusPairs[5] = 5;
    CObjectManager::HandleMove(mobile(0x51, 402, 99, 100));
    EXPECT_TRUE(walkable(99, 100, 6)) << "a ghost does not block";
    EXPECT_TRUE(walkable(100, 100, 0)) << "nor the player itself";

    player->graphic = 402;
    EXPECT_EQ(source.PlayerMovementClass(), kMoveGhost);
    EXPECT_TRUE(walkable(100, 101, 4)) << "a ghost walks through mobiles";
    EXPECT_FALSE(walkable(101, 100, 2)) << "but not through walls";
    player->graphic = 400;
}

} // namespace
