/** @file Tests of the line of sight over a written map: blocking walls, heights, ends, masks and the unrounded fixed-point line. */
#include "client/world/line_of_sight.h"

#include "client/world/terrain.h"
#include "tests/support/temp_dir.h"
#include "tests/support/terrain_fixtures.h"

#include <gtest/gtest.h>

namespace {

using testsupport::WalkMap;

TEST(LineOfSight, WallsBetweenTheEndsBlockAtTheirHeight)
{
    testsupport::TempDir dir;
    WalkMap map(dir.path());
    map.fillLand(0, 0, 15, 15, 0);
    map.addStatic(5, 5, WalkMap::kWall, 0);  // [0, 20)
    map.addStatic(8, 8, WalkMap::kWall, 0);
    map.addStatic(2, 10, WalkMap::kWall, 0);
    map.open();
    struct Case {
        const char* what;
        MapPoint a;
        int32_t za;
        MapPoint b;
        int32_t zb;
        uint32_t mask;
        bool sees;
    };
    const Case cases[] = {
        {"through a wall", {2, 5}, 0, {8, 5}, 0, kTileImpassable, false},
        {"over it", {2, 5}, 20, {8, 5}, 20, kTileImpassable, true},
        {"at its top row", {2, 5}, 19, {8, 5}, 19, kTileImpassable, false},
        {"a mask it does not share", {2, 5}, 0, {8, 5}, 0, kTileSurface, true},
        {"the wall at an end", {8, 2}, 0, {8, 8}, 0, kTileImpassable, true},
        {"equal cells", {5, 5}, 0, {5, 5}, 90, kTileImpassable, true},
        {"rising over the wall on a diagonal", {2, 2}, 0, {8, 8}, 60, kTileImpassable, true},
        {"a diagonal through it", {2, 2}, 0, {9, 9}, 0, kTileImpassable, false},
        {"no rounding: (1, 10), (2, 10) lie on the line", {0, 10}, 0, {3, 11}, 0, kTileImpassable, false},
        {"a line just below it keeps to row 9, where rounding would reach 10", {0, 9}, 0, {3, 10}, 0, kTileImpassable, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasLineOfSight(c.a, c.za, c.b, c.zb, c.mask), c.sees) << c.what;
}

} // namespace
