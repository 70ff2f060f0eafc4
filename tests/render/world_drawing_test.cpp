#include "world_scene.h"

#include "client/data/span_routines.h"
#include "client/world/map_view.h"
#include "client/world/multi.h"
#include "client/render/see_through_circle.h"
#include "client/core/config_store.h"

#include <gtest/gtest.h>

namespace {

using rendertest::WorldScene;
using namespace rendertest;

class WorldDrawingTest : public WorldScene {};

TEST_F(WorldDrawingTest, EachKindIsPlacedOnItsCellAndSortedByItsKey)
{
    CLandTile* flat = addLand(101, 100, 5);
    CSlopedLandTile* slope = addSloped(100, 101, {0, 4, 8, 0});
    CObj* post = addStatic(G_POST, 101, 101, 0);
    CObj* noArt = addStatic(G_HIDDEN, 102, 100, 0);
    CDynamicObj* arrows = addItem(10, G_ARROWS, 102, 102, 0, 2);
    const struct {
        const CDrawItem* item;
        WorldRect rect; // play-area pixels
        int32_t key;
    } cases[] = {
        {flat, {88, 46, 132, 90}, 4},
        {slope, {44, 66, 88, 88}, slope->GetTopZ() - 1},
        {post, {87, 126, 90, 131}, 1},              // 3 x 5 standing on the cell's bottom; height adds 1
        {noArt, {132, 88, 176, 132}, 0},             // no image: the cell's box from its corner
        {arrows, {84, 165, 92, 175}, 0},             // two arrows: drawn twice, 5 right and down
        {player, {88, 58, 92, 64}, 1},               // the 4 x 6 frame on the anchor (89, 64)
    };
    for (const auto& c : cases) {
        EXPECT_EQ(show(play(c.item->rect)), show(c.rect));
        EXPECT_EQ(c.item->orderKey, c.key);
    }
    // Coins show graphic + 0, + 1 or + 2 by amount and are never doubled.
    const struct {
        uint16_t amount;
        int32_t width;
    } coins[] = {{1, 2}, {2, 3}, {5, 3}, {6, 4}};
    uint32_t serial = 20;
    for (const auto& c : coins) {
        const CDynamicObj* pile = addItem(serial++, G_PILE, 100, 102, 0, c.amount);
        EXPECT_EQ(pile->rect.right - pile->rect.left, c.width) << c.amount;
    }
    // A land tile and an item of the same z: the item is painted after the land.
    CLandTile* under = addLand(101, 101, 0);
    EXPECT_EQ(DrawMapThingie::table[static_cast<size_t>(DrawMapThingie::CellIndex(101, 101))], under);
    EXPECT_EQ(under->nextDraw, post);
}

TEST_F(WorldDrawingTest, BodiesAreSizedByTheirFramesMirroredAndWithTheirWornLayers)
{
    CDynamicObj* shirt = addItem(30, G_SHIRT, 100, 101, 0);
    ASSERT_NE(shirt, nullptr);
    shirt->RemoveFromWorld();
    shirt->EquipOn(player, 5);
    player->RemoveFromDrawList();
    player->AddToDrawList();
    EXPECT_EQ(show(play(player->rect)), show({88, 58, 92, 66})); // the shirt's frame reaches 2 below the feet

    CMobile* left = addMobile(40, B_HUMAN, 102, 100, 1); // directions 0-2 are mirrored
    const WorldRect r = play(left->rect);
    EXPECT_EQ(r.right - r.left, 4);
    EXPECT_EQ(r.left, 88 + 44 + 1 - 3);
    EXPECT_EQ(WorldDrawing::GetNotorietyHue(nullptr), 0);
    left->highlightClass = 5;
    EXPECT_EQ(WorldDrawing::GetNotorietyHue(left), 144);
    left->highlightClass = 7;
    EXPECT_EQ(WorldDrawing::GetNotorietyHue(left), 0);
}

TEST_F(WorldDrawingTest, ACorpseShowsTheLastFrameOfItsBodysDeathAndIsHitOnItsPixels)
{
    ObjectRecord r;
    r.serial = 80 | kItemSerialBit;
    r.graphic = 0x2006;
    r.amount = B_HUMAN;
    r.x = 101;
    r.y = 100;
    r.direction = 3;
    CDynamicObj* corpse = CObjectManager::HandleMove(r);
    ASSERT_NE(corpse, nullptr);
    ASSERT_EQ(corpse->IsCorpse(), 1);
    // Frame 5 of action 21, 6 x 3 from 2 left of the anchor (111, 86).
    EXPECT_EQ(show(play(corpse->rect)), show({109, 83, 115, 86}));
    EXPECT_EQ(corpse->orderKey, 1);
    EXPECT_EQ(DrawGrid::PickAt(109, 83, false), corpse);
    EXPECT_EQ(DrawGrid::PickAt(108, 83, false), nullptr);
    redraw();
    EXPECT_EQ(at(109, 83), 50);
    EXPECT_EQ(at(114, 85), 50 + 17);
}

TEST_F(WorldDrawingTest, AWideBodyIsListedToTheRightAndItsFeetAreCarriedByBandsInFrontCells)
{
    const int32_t before = DrawMapThingie::CountListed();
    CMobile* beast = addMobile(50, B_BEAST, 100, 102, 6);
    // 100 wide from 20 left of the anchor: reaches 2 columns right; 60 rows below the feet in two bands.
    EXPECT_EQ(beast->cellShift, 2);
    EXPECT_EQ(beast->listCell, DrawMapThingie::CellIndex(102, 100));
    ASSERT_NE(beast->bigMobComponents, nullptr);
    const CBigMobComponent* second = beast->bigMobComponents;
    const CBigMobComponent* first = second->next;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->listCell, DrawMapThingie::CellIndex(103, 101));
    EXPECT_EQ(second->listCell, DrawMapThingie::CellIndex(104, 102));
    EXPECT_EQ(first->bandBottom - first->bandTop, 44);
    EXPECT_EQ(second->bandBottom - second->bandTop, 16);
    EXPECT_EQ(DrawMapThingie::CountListed(), before + 3);

    // Stepping in direction 7 lists it one cell further down-right until the step ends.
    beast->RemoveFromDrawList();
    EXPECT_EQ(DrawMapThingie::CountListed(), before);
    beast->direction = 7;
    beast->framesLeft = 2;
    beast->AddToDrawList();
    EXPECT_EQ(beast->listCell, DrawMapThingie::CellIndex(101 + beast->cellShift, 103 - beast->cellShift));
    beast->framesLeft = 0;
    beast->AddToDrawList();
    EXPECT_EQ(beast->listCell, DrawMapThingie::CellIndex(100 + beast->cellShift, 102 - beast->cellShift));
}

TEST_F(WorldDrawingTest, LandItemsAndFramesArePaintedPixelForPixel)
{
    addLand(100, 100, 0);
    addLand(101, 101, 0);
    addStatic(G_POST, 101, 101, 0);
    CMobile* mirrored = addMobile(40, B_HUMAN, 102, 100, 1);
    redraw();
    // The land diamond's top row: stored pixels 0 and 1 either side of the top corner.
    EXPECT_EQ(at(87, 44), 0x4000);
    EXPECT_EQ(at(88, 44), 0x4001);
    // The post's pixel (x, y) is 0x100 + 3y + x from (87, 126); its gap shows the land behind it.
    EXPECT_EQ(at(87, 126), 0x100);
    EXPECT_EQ(at(89, 130), 0x100 + 14);
    EXPECT_EQ(at(88, 128) & 0x7C00, 0x4000);
    // The player's frame: index 1 + 4y + x at (88 + x, 58 + y); the mirrored one (two cells down-right) runs right to left.
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 4; ++x) {
            EXPECT_EQ(at(88 + x, 58 + y), 1 + 4 * y + x);
            EXPECT_EQ(at(133 - x, 102 + y), 1 + 4 * y + x);
        }
    // A hued body takes entry (red value) of its hue's ramp; 0x4000 darkens what lies below instead.
    std::vector<uint16_t> hues(static_cast<size_t>(kHueEntryWords) * 10, 0);
    for (int32_t j = 0; j < 32; ++j) hues[static_cast<size_t>(4 * kHueEntryWords + j)] = static_cast<uint16_t>(0x7C00 | j);
    setSpanHueTable(hues.data(), 10);
    mirrored->hue = 5;
    redraw();
    EXPECT_EQ(at(133, 102), 0x7C00);
    mirrored->hue = 0x4005;
    redraw();
    EXPECT_EQ(at(133, 102), 0); // nothing below it but the cleared buffer
    setSpanHueTable(nullptr, 0);
}

TEST_F(WorldDrawingTest, CutAwayRulesHideByRoofZCutFlagsAndCover)
{
    CObj* roof = addStatic(G_ROOF, 101, 100, 30);
    CObj* low = addStatic(G_POST, 101, 101, 9);
    CObj* high = addStatic(G_POST, 102, 101, 10);
    CObj* never = addStatic(G_HIDDEN, 102, 102, 0);
    CLandTile* land = addLand(103, 100, 5);
    EXPECT_EQ(roof->IsHidden(), 0);
    EXPECT_EQ(never->IsHidden(), 1);
    WorldView::roofCutoff = 10;
    EXPECT_EQ(roof->IsHidden(), 1); // a roof while any cut-off is in force
    EXPECT_EQ(low->IsHidden(), 0);
    EXPECT_EQ(high->IsHidden(), 1);
    WorldView::roofCutoff = 127;
    WorldView::zCutMode = true;
    WorldView::zCutLevel = 4;
    EXPECT_EQ(land->IsHidden(), 1);
    EXPECT_EQ(low->IsHidden(), 1);
    WorldView::zCutLevel = 9;
    EXPECT_EQ(land->IsHidden(), 0);
    EXPECT_EQ(low->IsHidden(), 1); // at the level
    WorldView::zCutMode = false;

    // A mobile is hidden under cover only when its cell and the four cells down and right are covered.
    CMobile* m = addMobile(60, B_HUMAN, 110, 110, 3);
    const int32_t cells[5][2] = {{110, 110}, {111, 111}, {111, 110}, {110, 111}, {112, 112}};
    for (int32_t i = 0; i < 4; ++i) addStatic(G_ROOF, cells[i][0], cells[i][1], 20);
    EXPECT_EQ(m->IsHidden(), 0);
    addStatic(G_ROOF, cells[4][0], cells[4][1], 20);
    EXPECT_EQ(m->IsHidden(), 1);
    EXPECT_EQ(player->IsHidden(), 0);
}

TEST_F(WorldDrawingTest, TheRoofOverThePlayerSetsTheCutOffThroughTheConnectedRoof)
{
    addStatic(G_ROOF, 101, 101, 20);
    addStatic(G_ROOF, 102, 101, 24);
    addStatic(G_ROOF, 103, 101, 18); // within 6 of 24: the flood reaches it
    addStatic(G_ROOF, 105, 101, 1);  // not connected
    WorldView::UpdateRoofCutoff();
    EXPECT_EQ(WorldView::rawRoof, 18);
    EXPECT_EQ(WorldView::roofCutoff, 18);
    EXPECT_TRUE(DrawManager::FullRedrawPending());
    DrawManager::ResetDirtyState();
    WorldView::UpdateRoofCutoff(); // unchanged: no redraw
    EXPECT_FALSE(DrawManager::FullRedrawPending());
    // A ceiling above the player's own cell lower than the roof wins; raised to at least z + 16.
    addStatic(G_POST, 100, 100, 15);
    WorldView::UpdateRoofCutoff();
    EXPECT_EQ(WorldView::roofCutoff, 16);
}

TEST_F(WorldDrawingTest, FoliageInFrontOfThePlayerIsDrawnTranslucent)
{
    CObj* bush = addStatic(G_BUSH, 100, 100, 0);   // same row as the player: not in front
    CObj* front = addStatic(G_BUSH, 101, 100, 0);  // one row nearer the viewer
    front->rect = player->rect;                    // overlapping the player
    WorldView::foliageUpdate = true;
    WorldView::UpdateRoofCutoff();
    EXPECT_EQ(bush->IsHidden(), 0);
    EXPECT_EQ(front->IsHidden(), 1);
    EXPECT_FALSE(WorldView::foliageUpdate);
}

TEST_F(WorldDrawingTest, PickingHitsArtPixelsAndFramePixelsAndFallsThroughGaps)
{
    CLandTile* land = addLand(101, 101, 0);
    CObj* post = addStatic(G_POST, 101, 101, 0);
    EXPECT_EQ(DrawGrid::PickAt(87, 126, false), post);
    EXPECT_EQ(DrawGrid::PickAt(88, 128, false), land); // the gap in the post
    EXPECT_EQ(DrawGrid::PickAt(88, 128, true), nullptr);
    EXPECT_EQ(DrawGrid::PickAt(88, 60, false), player);
    EXPECT_EQ(WorldDrawing::ObjectHit(*player, 92 + DrawGrid::scrollX, 60 + DrawGrid::scrollY), false);
    CMobile* mirrored = addMobile(40, B_HUMAN, 102, 100, 1);
    EXPECT_EQ(DrawGrid::PickAt(133, 104, false), mirrored);
    EXPECT_EQ(DrawGrid::PickAt(134, 104, false), nullptr);
}

std::vector<uint8_t> validRecord()
{
    return formats::encodeBodyAnimation(indexPalette(), {numberedFrame(1, 0, 4, 2, 1)});
}

TEST(AnimRecords, ADamagedRecordIsRefused)
{
    const std::vector<uint8_t> good = validRecord();
    ASSERT_NE(ParseAnimRecord(good.data(), good.size()), nullptr);
    const struct {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
    } cases[] = {
        {"shorter than its palette", [](std::vector<uint8_t>& r) { r.resize(300); }},
        {"frame count beyond the record", [](std::vector<uint8_t>& r) { r[512] = 0xFF; r[513] = 0xFF; }},
        {"frame offset past the end", [](std::vector<uint8_t>& r) { r[517] = 0x40; }},
        {"run longer than the record", [](std::vector<uint8_t>& r) { r[520 + 8] = 0xFF; r[520 + 9] = 0x0F; }},
        {"no end mark", [](std::vector<uint8_t>& r) { r.resize(r.size() - 4); }},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bad = good;
        c.damage(bad);
        EXPECT_EQ(ParseAnimRecord(bad.data(), bad.size()), nullptr) << c.what;
    }
    // A frame offset of 0 is no frame, not damage.
    formats::BodyFrame none;
    none.absent = true;
    std::vector<uint8_t> gap = formats::encodeBodyAnimation(indexPalette(), {none, numberedFrame(0, 0, 1, 1, 1)});
    const auto record = ParseAnimRecord(gap.data(), gap.size());
    ASSERT_NE(record, nullptr);
    EXPECT_FALSE(record->frames[0].present);
    EXPECT_TRUE(record->frames[1].present);
}

class DamagedBodyTest : public WorldScene {
protected:
    void writeData(testsupport::DataInstall& data) override
    {
        WorldScene::writeData(data);
        std::vector<uint8_t> bad = validRecord();
        bad.resize(bad.size() - 4);
        data.indexed(FILE_ANIM).add(35000, bad); // the player's walking frames, facing 3
    }
};

TEST_F(DamagedBodyTest, ADamagedBodyRecordDrawsNothingAndIsLoggedOnce)
{
    EXPECT_EQ(show(play(player->rect)), show({89, 64, 89, 64})); // the empty rectangle at the anchor
    redraw();
    redraw();
    const std::string log = install_.log();
    const std::string line = "animation record 35000 is damaged";
    ASSERT_NE(log.find(line), std::string::npos);
    EXPECT_EQ(log.find(line, log.find(line) + 1), std::string::npos);
}

} // namespace

namespace {

TEST_F(WorldDrawingTest, SceneryInFrontOfThePlayerFadesInsideTheSeeThroughCircleAndIsNotPicked)
{
    CLandTile* land = addLand(101, 101, 0);
    CObj* post = addStatic(G_POST, 101, 101, 1); // its top 6 is more than 5 above the player: {87, 122, 90, 127}
    SeeThroughCircle::startup();
    SeeThroughCircle::SetRadius(16);
    SeeThroughCircle::SetCenter(87, 124);
    redraw();
    EXPECT_EQ(at(87, 122), 0x100); // circle off: the post as it is
    EXPECT_EQ(DrawGrid::PickAt(87, 124, false), post);
    UseCircleTrans = 1;
    redraw();
    EXPECT_EQ(at(87, 124) & 0x7C00, 0x4000); // the centre shows the land behind it
    EXPECT_EQ(DrawGrid::PickAt(87, 124, false), land);
    UseCircleTrans = 0;
}

} // namespace

namespace {

TEST_F(WorldDrawingTest, TheViewFollowsTheCentreAndLooksAtTheRoofAgain)
{
    addStatic(G_ROOF, 103, 103, 20); // over the cell down-right of the new centre
    MapView::SetCenter(102, 102, 0);
    player->MoveTo(102, 102, 0);
    MapView::StepView(0, 0, 0);
    // Cell (102, 102)'s top corner at the middle of the play area (176 x 132).
    EXPECT_EQ(DrawGrid::scrollX, (102 - 102 + MapManager::MapWidth()) * 22 - 88);
    EXPECT_EQ(DrawGrid::scrollY, (102 + 102) * 22 - 66);
    EXPECT_EQ(WorldView::roofCutoff, 20);
}

} // namespace
