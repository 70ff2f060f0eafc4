/** @file Tests of the walking heights: surfaces of a cell, step bounds and the chosen height, over a table of cells. */
#include "client/world/terrain.h"

#include "client/world/map_cell_source.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace {

/** Cells filled by hand. */
class FakeCells final : public CellSource {
public:
    void VisitCell(int32_t x, int32_t y, CellVisitor& v) override
    {
        const auto it = cells.find({x, y});
        if (it == cells.end()) return;
        for (const CellThing& t : it->second)
            if (!v.Visit(t)) return;
    }
    int32_t PlayerMovementClass() override { return cls; }
    bool ThirdPairEqual() override { return thirdPairEqual; }

    std::map<std::pair<int32_t, int32_t>, std::vector<CellThing>> cells;
    int32_t cls = kMoveWalk;
    bool thirdPairEqual = false;
};

CellThing land(int32_t z, uint32_t flags = 0, uint16_t id = 3)
{
    const LandShape shape{id, false, static_cast<int8_t>(z), {}};
    return LandThing(shape, flags);
}

CellThing slope(int8_t c0, int8_t c1, int8_t c2, int8_t c3)
{
    LandShape shape{3, true, 0, {c0, c1, c2, c3}};
    return LandThing(shape, 0);
}

CellThing item(int32_t z, int32_t height, uint32_t flags, uint16_t graphic = 0x100, bool server = false)
{
    CellThing t;
    t.graphic = graphic;
    t.flags = flags;
    t.bottom = z;
    t.height = height;
    t.top = z + ((flags & kTileBridge) != 0 ? height / 2 : height);
    t.serverObject = server;
    return t;
}

CellThing mobile(int32_t z, bool ghost = false)
{
    CellThing t;
    t.kind = CellThing::Kind::Mobile;
    t.bottom = t.top = z;
    t.ghost = ghost;
    return t;
}

constexpr uint32_t kWall = kTileImpassable;
constexpr uint32_t kFloor = kTileSurface;
constexpr uint32_t kStair = kTileSurface | kTileBridge;

class Heights : public ::testing::Test {
protected:
    void SetUp() override { Terrain::SetCellSource(&cells); }
    void TearDown() override
    {
        Terrain::SetCellSource(nullptr);
        Terrain::WalkThroughMobiles = false;
    }
    FakeCells cells;
};

// Every case steps north from (5, 5) to (5, 4).
TEST_F(Heights, ChooseWalkZOverATableOfCells)
{
    struct Case {
        const char* what;
        std::vector<CellThing> from, to;
        int32_t z;
        std::optional<int32_t> expected;
        int32_t cls = kMoveWalk;
    };
    const Case cases[] = {
        {"flat ground", {land(0)}, {land(0)}, 0, 0},
        {"a step up of 2 on flat land", {land(0)}, {land(2)}, 0, 2},
        {"a cliff of 3 on flat land", {land(0)}, {land(3)}, 0, std::nullopt},
        {"down a cliff of any height", {land(40)}, {land(0)}, 40, 0},
        {"up a slope whose low corner is in reach", {land(0)}, {slope(2, 8, 14, 8)}, 0, 8},
        {"a slope out of reach", {land(0)}, {slope(5, 8, 14, 8)}, 0, std::nullopt},
        {"void land", {land(0)}, {land(0, 0, 2)}, 0, std::nullopt},
        {"void land 475 under a floor", {land(0)}, {land(0, 0, 475), item(0, 0, kFloor)}, 0, 0},
        {"a wall", {land(0)}, {land(0), item(0, 20, kWall)}, 0, std::nullopt},
        {"a table is a surface that blocks", {land(0)}, {land(0), item(0, 6, kFloor)}, 0, std::nullopt},
        {"onto the table from a chair", {land(0), item(0, 4, kStair)}, {land(0), item(0, 6, kFloor)}, 2, 6},
        {"the first stair", {land(0)}, {land(0), item(0, 5, kStair)}, 0, 2},
        {"the next stair climbs 5", {land(0), item(0, 5, kStair)}, {land(0), item(5, 5, kStair)}, 2, 7},
        {"a stair is reached by its bottom", {land(0)}, {land(0), item(2, 10, kStair)}, 0, 7},
        {"a floor at that height is not", {land(0)}, {land(0), item(7, 0, kFloor)}, 0, std::nullopt},
        {"a roof 15 above leaves no room", {land(0)}, {land(0), item(15, 5, kWall)}, 0, std::nullopt},
        {"a roof 16 above leaves room", {land(0)}, {land(0), item(16, 5, kWall)}, 0, 0},
        {"the floor nearest the start wins: ground", {land(0)}, {land(0), item(20, 0, kFloor)}, 0, 0},
        {"the floor nearest the start wins: upper", {land(0), item(20, 0, kFloor)}, {land(0), item(20, 0, kFloor)}, 20, 20},
        {"a floor under a low ceiling is never chosen, nor the ground below it", {land(0), item(20, 0, kFloor)}, {land(0), item(20, 0, kFloor), item(30, 5, kWall)}, 20, std::nullopt},
        {"water stops walkers", {land(0)}, {land(-5, kTileImpassable | kTileWet)}, 0, std::nullopt},
        {"water carries a sea mount", {land(-5, kTileImpassable | kTileWet)}, {land(-5, kTileImpassable | kTileWet)}, -5, -5, kMoveSea},
        {"a sea mount stays off dry land", {land(-5, kTileImpassable | kTileWet)}, {land(-5)}, -5, std::nullopt, kMoveSea},
        {"a mobile blocks", {land(0)}, {land(0), mobile(0)}, 0, std::nullopt},
        {"a ghost mobile does not", {land(0)}, {land(0), mobile(0, true)}, 0, 0},
        {"a ghost walks through a ghost-passable static", {land(0)}, {land(0), item(0, 20, kWall | kTileGhostPassable)}, 0, 0, kMoveGhost},
        {"a ghost walks through doors", {land(0)}, {land(0), item(0, 20, kWall, 1682)}, 0, 0, kMoveGhost},
        {"a ghost walks through movable server items", {land(0)}, {land(0), [] { CellThing t = item(0, 20, kWall, 0x200, true); t.movable = true; return t; }()}, 0, 0, kMoveGhost},
        {"server items 14662..14692 never block", {land(0)}, {land(0), item(0, 20, kWall, 14670, true)}, 0, 0},
        {"the same graphic as a static blocks", {land(0)}, {land(0), item(0, 20, kWall, 14670, false)}, 0, std::nullopt},
        {"a walker does not walk through walls as a ghost would", {land(0)}, {land(0), item(0, 20, kWall, 1682)}, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cells.cells.clear();
        cells.cells[{5, 5}] = c.from;
        cells.cells[{5, 4}] = c.to;
        cells.cls = c.cls;
        int32_t z = -999;
        const bool ok = ChooseWalkZ(5, 4, c.z, 0, &z);
        EXPECT_EQ(ok, c.expected.has_value());
        if (ok && c.expected) {
            EXPECT_EQ(z, *c.expected);
        }
    }
}

TEST_F(Heights, MobilesGiveWayWhenThePlayerSaysSo)
{
    cells.cells[{5, 5}] = {land(0)};
    cells.cells[{5, 4}] = {land(0), mobile(0)};
    int32_t z = 0;
    EXPECT_FALSE(ChooseWalkZ(5, 4, 0, 0, &z));
    cells.thirdPairEqual = true;
    EXPECT_TRUE(ChooseWalkZ(5, 4, 0, 0, &z));
    cells.thirdPairEqual = false;
    Terrain::WalkThroughMobiles = true;
    EXPECT_TRUE(ChooseWalkZ(5, 4, 0, 0, &z));
}

TEST_F(Heights, StepHeightsReadTheCellBehind)
{
    // Going east (direction 2) into (6, 5): the cell behind is (5, 5), a slope whose point 2 is
    // the mean of corners 1 and 2.
    cells.cells[{5, 5}] = {slope(4, 10, 20, 6)};
    int32_t low = 0, high = 0;
    GetStepHeights(&low, &high, 6, 5, 20, 2, kMoveWalk);
    EXPECT_EQ(low, 15);
    EXPECT_EQ(high, 22);
    GetStepHeights(&low, &high, 6, 5, 5, 2, kMoveWalk);
    EXPECT_EQ(low, -128) << "below the land's top the land gives nothing";
    EXPECT_EQ(high, 7);
    // A bridge whose top is the start height lifts the reach to its full height.
    cells.cells[{5, 5}] = {land(0), item(0, 10, kStair)};
    GetStepHeights(&low, &high, 6, 5, 5, 2, kMoveWalk);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 12);
}

TEST_F(Heights, AtMost256SurfacesAreGathered)
{
    std::vector<CellThing> stack = {land(0)};
    for (int i = 0; i < 400; ++i) stack.push_back(item(i % 100, 1, kFloor));
    cells.cells[{1, 1}] = stack;
    std::vector<SurfaceEntry> out(kMaxSurfaces);
    EXPECT_EQ(GatherSurfaces(out.data(), 1, 1, kMoveWalk), kMaxSurfaces);
    int32_t z = 0;
    cells.cells[{1, 2}] = {land(0)};
    EXPECT_FALSE(ChooseWalkZ(1, 1, 0, 0, &z)) << "no overflow, and the stack blocks";
}

TEST(SlopedLand, CornersGiveTopBottomAndPoints)
{
    const int8_t c[4] = {2, 10, 6, -4};
    EXPECT_EQ(SlopedTopZ(c), 4) << "|c1 - c3| is the larger: the mean of c0 and c2";
    EXPECT_EQ(SlopedBottomZ(c), -4);
    const int32_t points[8] = {6, 10, 8, 6, 1, -4, -1, 2};
    for (int32_t k = 0; k < 8; ++k) EXPECT_EQ(SlopedZAt(c, k), points[k]) << k;
    const int8_t n[4] = {-3, 5, 0, 1};
    EXPECT_EQ(SlopedTopZ(n), -2) << "arithmetic shift of a negative sum";
}

} // namespace
