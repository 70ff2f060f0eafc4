/** @file Tests of the path search on written maps: found and refused paths, limits, the goal test and the tie order. */
#include "client/world/path_manager.h"

#include "client/world/terrain.h"
#include "tests/support/temp_dir.h"
#include "tests/support/terrain_fixtures.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using testsupport::WalkMap;
using Cells = std::vector<std::pair<int32_t, int32_t>>;

class PathSearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        PathManager::startup();
        map.fillLand(0, 0, 15, 63, 0);
    }
    void TearDown() override { PathManager::shutdown(); }

    /** The cells from the start to the node, after linking the path forward. */
    Cells walk(PathNode* goal)
    {
        PathManager::State().goal = goal;
        LinkPathBackward();
        PathNode* start = goal;
        while (start->parent != nullptr) start = start->parent;
        Cells cells;
        for (PathNode* n = start; n != nullptr; n = n->next) cells.emplace_back(n->x, n->y);
        return cells;
    }

    testsupport::TempDir dir;
    WalkMap map{dir.path()};
};

TEST_F(PathSearch, EqualCostsGoToTheNodeAddedLast)
{
    // A pillar between start and goal: the ways north and south around it cost the same, and
    // the search takes the south one because a new node goes before older ones of equal cost.
    map.addStatic(6, 5, WalkMap::kWall, 0);
    map.open();
    PathNode* goal = PathManager::FindPath(5, 5, 0, 7, 5, 0, 500, 0);
    ASSERT_NE(goal, nullptr);
    EXPECT_EQ(walk(goal), (Cells{{5, 5}, {5, 6}, {6, 6}, {7, 6}, {7, 5}}));
    EXPECT_EQ(PathManager::Expansions(), 7);
}

TEST_F(PathSearch, DiagonalsNeverCutABlockedCorner)
{
    map.addStatic(3, 2, WalkMap::kWall, 0);
    map.open();
    PathNode* goal = PathManager::FindPath(2, 2, 0, 3, 1, 0, 500, 0);
    ASSERT_NE(goal, nullptr);
    EXPECT_EQ(walk(goal), (Cells{{2, 2}, {2, 1}, {3, 1}}));
    // Open corner: one diagonal step.
    goal = PathManager::FindPath(2, 2, 0, 1, 1, 0, 500, 0);
    ASSERT_NE(goal, nullptr);
    EXPECT_EQ(walk(goal), (Cells{{2, 2}, {1, 1}}));
}

TEST_F(PathSearch, CorridorsAndStairsAreFollowed)
{
    // A corridor x 4..6 between walls, closed at its north end except through a stair up to a
    // floor at z 10 beyond it.
    map.wallLine(3, 10, 3, 30);
    map.wallLine(7, 10, 7, 30);
    map.addStatic(4, 9, WalkMap::kWall, 0);
    map.addStatic(6, 9, WalkMap::kWall, 0);
    map.fillLand(4, 3, 6, 8, 10, WalkMap::kGround);
    map.addStatic(5, 9, WalkMap::kStair, 0);  // top 2: a climb of 2 from the corridor
    map.addStatic(5, 10, WalkMap::kStair, 0); // in the corridor's first row, too
    map.open();
    // The stair at (5, 9) from the ground at z 0: top 2; the land beyond is at 10 - out of reach.
    PathNode* goal = PathManager::FindPath(5, 20, 0, 5, 5, 10, 5000, 0);
    EXPECT_EQ(goal, nullptr) << "a step of 8 from the stair top is too high";
    goal = PathManager::FindPath(5, 20, 0, 5, 9, 2, 5000, 0);
    ASSERT_NE(goal, nullptr);
    EXPECT_EQ(goal->z, 2);
    const Cells cells = walk(goal);
    for (const auto& [x, y] : cells) {
        EXPECT_GE(x, 4);
        EXPECT_LE(x, 6);
    }
    EXPECT_EQ(cells.size(), 12u);
}

TEST_F(PathSearch, LimitsAndTheGoalTest)
{
    // A wall across the strip with a gap far to the south: the way round takes many expansions.
    map.wallLine(8, 0, 8, 50);
    map.land(2, 2, 9);
    map.open();
    EXPECT_EQ(PathManager::FindPath(6, 5, 0, 10, 5, 0, 100, 0), nullptr);
    EXPECT_EQ(PathManager::Expansions(), 101) << "the 101st expansion fails the search";
    PathNode* goal = PathManager::FindPath(6, 5, 0, 10, 5, 0, 5000, 0);
    ASSERT_NE(goal, nullptr);
    EXPECT_GT(PathManager::Expansions(), 100);
    // 46 rows down to (7, 51), across to (9, 51) (the wall's end cannot be cut), 46 rows back up.
    EXPECT_EQ(walk(goal).size(), 1u + 46 + 2 + 46);

    goal = PathManager::FindPath(6, 5, 0, 7, 6, 0, 500, 1);
    ASSERT_NE(goal, nullptr) << "within tolerance of the goal at once";
    EXPECT_EQ(goal->x, 6);
    EXPECT_EQ(PathManager::Expansions(), 1);

    // (2, 2) is 9 above its neighbours: no step reaches it, and no z within 8 of 9 elsewhere matches.
    EXPECT_EQ(PathManager::FindPath(5, 5, 0, 2, 2, 9, 500, 1), nullptr);
    goal = PathManager::FindPath(5, 5, 0, 2, 2, 8, 500, 1);
    ASSERT_NE(goal, nullptr) << "a neighbour at z 0 is 8 away";
}

} // namespace
