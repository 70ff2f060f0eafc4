/** @file Tests of the object manager: records, look-up, container items, movement, the world reset, pick-up and use. */
#include "client/world/object_manager.h"
#include "client/world/pace_table.h"
#include "client/world/path_manager.h"
#include "client/world/tile_data.h"
#include "tests/support/temp_dir.h"
#include "tests/support/terrain_fixtures.h"
#include "tests/world/world_test_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace testsupport;

class ObjectManagerTest : public WorldTest {};

TEST_F(ObjectManagerTest, RecordsMakeTheClassTheirGraphicAsksFor)
{
    struct Case {
        const char* name;
        ObjectRecord record;
        int corpse, map, container, mobile;
    };
    const Case cases[] = {
        {"corpse", item(1, 0x2006), 1, 0, 1, 0},   {"map", item(2, G_MAP), 0, 1, 0, 0},
        {"container", item(3, G_BACKPACK), 0, 0, 1, 0}, {"generic", item(4, G_KNIFE), 0, 0, 0, 0},
        {"mobile", mobile(5, 17, 101, 101), 0, 0, 1, 1},
    };
    for (const Case& c : cases) {
        CDynamicObj* o = CObjectManager::HandleMove(c.record);
        ASSERT_NE(o, nullptr) << c.name;
        EXPECT_EQ(CObjectManager::FindObject(c.record.serial), o) << c.name;
        EXPECT_EQ(o->IsCorpse(), c.corpse) << c.name;
        EXPECT_EQ(o->IsMapItem(), c.map) << c.name;
        EXPECT_EQ(o->IsContainer(), c.container) << c.name;
        EXPECT_EQ(o->IsMobile(), c.mobile) << c.name;
        EXPECT_EQ(o->offMap, 0) << c.name;
    }
    EXPECT_EQ(World().objects.count, 6u); // each once, and the player
    EXPECT_EQ(CObjectManager::FindObject(kPlayerSerial), player);
    EXPECT_EQ(CObjectManager::FindObject(0x12345), nullptr);
}

TEST_F(ObjectManagerTest, AnUpdateMovesTheItemAndNormalizesItsHue)
{
    ObjectRecord r = item(7, G_KNIFE, 101, 101);
    CDynamicObj* o = CObjectManager::HandleMove(r);
    r.x = 103;
    r.hue = 0x0BB8;
    r.statusFlags = 0x20;
    EXPECT_EQ(CObjectManager::HandleMove(r), o);
    EXPECT_EQ(o->locX, 103);
    EXPECT_EQ(o->hue, 1);
    EXPECT_EQ(o->IsMovable(), 1);
    EXPECT_EQ(World().world.count, 2u);
    // Moved out of the update range: released in the same call.
    r.x = 100 + 19;
    EXPECT_EQ(CObjectManager::HandleMove(r), nullptr);
    EXPECT_EQ(CObjectManager::FindObject(r.serial), nullptr);
    EXPECT_EQ(CObjectManager::HandleMove(item(8, G_KNIFE, 80, 100)), nullptr);
}

TEST_F(ObjectManagerTest, CoordinatesWrapOnlyNearTheSeam)
{
    const int32_t w = MapManager::WrapWidth();
    MapManager::CenterX = 5;
    player->MoveTo(5, 100, 0);
    CDynamicObj* o = CObjectManager::HandleMove(item(9, G_KNIFE, w - 3, 100));
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->locX, -3);
    // With the centre outside the wrap width nothing wraps (and the item is far away).
    MapManager::CenterX = w + 10;
    player->MoveTo(w + 10, 100, 0);
    EXPECT_EQ(CObjectManager::HandleMove(item(10, G_KNIFE, 3, 100)), nullptr);
}

TEST_F(ObjectManagerTest, MobileStepsQueueAndPlay)
{
    const formats::Bytes pace = formats::encodePaceTable(std::vector<std::pair<int8_t, int8_t>>(20, {4, 2}));
    PaceTable::LoadFrom(pace.data(), pace.size());
    auto* m = static_cast<CMobile*>(CObjectManager::HandleMove(mobile(0x20, 17, 101, 101, 2)));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->queueCount, 0); // the record equals the mobile
    CObjectManager::HandleMove(mobile(0x20, 17, 102, 101, 2));
    CObjectManager::HandleMove(mobile(0x20, 17, 102, 101, 2)); // equal to the last queued step
    EXPECT_EQ(m->queueCount, 1);
    CObjectManager::UpdateMovement();
    EXPECT_EQ(m->locX, 102);
    EXPECT_EQ(m->framesLeft, 3); // walk pace 4, one frame passed
    EXPECT_EQ(m->stepOffsetX, 22 * 3 / 4); // direction 2: down and right
    EXPECT_EQ(m->stepOffsetY, 22 * 3 / 4);
    for (int i = 0; i < 3; ++i) CObjectManager::UpdateMovement();
    EXPECT_EQ(m->framesLeft, 0);
    EXPECT_EQ(m->stepOffsetX, 0);
    // Two cells at once: a jump with no step frames; the direction byte's high bits never index a table.
    CObjectManager::HandleMove(mobile(0x20, 17, 104, 103, 0x7A));
    CObjectManager::UpdateMovement();
    EXPECT_EQ(m->locX, 104);
    EXPECT_EQ(m->framesLeft, 0);
    EXPECT_EQ(m->direction, 0x7A);
    // A full queue places the mobile at once.
    for (int i = 1; i <= 4; ++i) CObjectManager::HandleMove(mobile(0x20, 17, 104 + i, 103, 2));
    EXPECT_EQ(m->queueCount, 4);
    CObjectManager::HandleMove(mobile(0x20, 17, 110, 105, 0x82));
    EXPECT_EQ(m->queueCount, 0);
    EXPECT_EQ(m->locX, 110);
    EXPECT_EQ(m->locY, 105);
    EXPECT_EQ(m->framesLeft, 1);
    EXPECT_EQ(m->direction, 2);
    PaceTable::Reset();
}

TEST_F(ObjectManagerTest, AStepIsDrawnAtTheHeightOfTheBridgeItCrossesOrOfItsFall)
{
    const formats::Bytes pace = formats::encodePaceTable(std::vector<std::pair<int8_t, int8_t>>(20, {4, 2}));
    PaceTable::LoadFrom(pace.data(), pace.size());
    // A bridge of height 8 sloping down toward direction 2: its top (half its height) is 4.
    constexpr uint16_t kBridge = 0x0F00;
    TileData::MutableItem(kBridge).flags = 0x400 | 0x40000000;
    TileData::MutableItem(kBridge).height = 8;
    CObjectManager::HandleMove(item(0x300, kBridge, 102, 101));
    auto* m = static_cast<CMobile*>(CObjectManager::HandleMove(mobile(0x30, 17, 101, 101, 2)));
    ASSERT_NE(m, nullptr);
    CObjectManager::HandleMove([] {
        ObjectRecord r = mobile(0x30, 17, 102, 101, 2);
        r.z = 4;
        return r;
    }());
    // Frames left 3 (seen on the cell it leaves), then 2, 1 and 0 on the bridge, walked backwards.
    std::vector<int32_t> heights;
    for (int i = 0; i < 4; ++i) {
        CObjectManager::UpdateMovement();
        heights.push_back(m->drawZ);
    }
    EXPECT_EQ(heights, (std::vector<int32_t>{0, 0, 2, 4}));

    // A fall of 30: 4 + (30 / 11) x 2 = 8 frames a tile, held for two frames, then down evenly.
    const auto at = [](int32_t x, int32_t z) {
        ObjectRecord r = mobile(0x30, 17, x, 101, 2);
        r.z = static_cast<int8_t>(z);
        return r;
    };
    CObjectManager::HandleMove(at(105, 30));
    CObjectManager::UpdateMovement(); // a jump: no step frames
    EXPECT_EQ(m->drawZ, 30);
    CObjectManager::HandleMove(at(106, 0));
    heights.clear();
    for (int i = 0; i < 8; ++i) {
        CObjectManager::UpdateMovement();
        heights.push_back(m->drawZ);
    }
    EXPECT_EQ(heights, (std::vector<int32_t>{30, 30, 25, 20, 15, 10, 5, 0}));
    PaceTable::Reset();
}

TEST_F(ObjectManagerTest, MobilesFallIdleAndLeaveTheRange)
{
    auto* m = static_cast<CMobile*>(CObjectManager::HandleMove(mobile(0x21, 17, 101, 101)));
    auto* friendly = static_cast<CMobile*>(CObjectManager::HandleMove(mobile(0x22, 17, 102, 101)));
    gumps.party.insert(0x22);
    now += 2001;
    CObjectManager::UpdateMovement();
    EXPECT_EQ(m->idle, 1);
    EXPECT_EQ(m->walkFrame, 3);
    // The player walks away: the stranger goes, the party member is kept off the map.
    player->MoveTo(130, 100, 0);
    CObjectManager::UpdateMovement();
    EXPECT_EQ(CObjectManager::FindObject(0x21), nullptr);
    EXPECT_EQ(CObjectManager::FindObject(0x22), friendly);
    EXPECT_EQ(friendly->offMap, 1);
    EXPECT_EQ(friendly->live, 0);
    // Back in range the member stays off the map: nothing makes it live again.
    player->MoveTo(100, 100, 0);
    CObjectManager::HandleMove(mobile(0x22, 17, 101, 101));
    CObjectManager::UpdateMovement();
    EXPECT_EQ(friendly->offMap, 1);
}

TEST_F(ObjectManagerTest, FollowingSearchesAPathOnceTheMobileIsMoreThanThreeCellsAway)
{
    testsupport::TempDir dir;
    testsupport::WalkMap map(dir.path());
    map.fillLand(0, 0, 15, 63, 0); // cells past x 15 have no land: nothing walks there
    map.open();
    PathManager::startup();
    MapManager::CenterX = MapManager::CenterY = 4;
    player->MoveTo(4, 4, 0);
    player->following = 1;
    player->followedSerial = 0x25;
    CObjectManager::HandleMove(mobile(0x25, 17, 7, 4));
    EXPECT_FALSE(PathManager::State().active); // within 3 cells
    CObjectManager::HandleMove(mobile(0x25, 17, 8, 4));
    ASSERT_TRUE(PathManager::State().active);
    EXPECT_NEAR(PathManager::State().goal->x, 8, 1);
    EXPECT_EQ(PathManager::State().current->x, 4);
    CObjectManager::HandleMove(mobile(0x25, 17, 20, 4));
    EXPECT_FALSE(PathManager::State().active);
    EXPECT_EQ(gumps.messages, std::vector<std::string>{"Can't get there (follow)"});
    PathManager::shutdown();
    map.close();
}

TEST_F(ObjectManagerTest, ContainerItemsThatWouldBreakTheChainAreIgnored)
{
    CDynamicObj* pack = CObjectManager::HandleMove(item(0x30, G_BACKPACK));
    CDynamicObj* inner = CObjectManager::HandleContainerItem(contained(0x31, G_BACKPACK, pack->serial));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->parent, pack);
    EXPECT_TRUE(inner->IsInside(pack));
    struct Case {
        const char* name;
        ContainerItemRecord record;
    };
    const Case refused[] = {
        {"unknown container", contained(0x40, G_KNIFE, 0x77777777)},
        {"not a container", contained(0x41, G_KNIFE, CObjectManager::HandleMove(item(0x32, G_KNIFE))->serial)},
        {"itself", contained(0x31, G_KNIFE, inner->serial)},
        {"its holder", contained(0x30, G_KNIFE, inner->serial)},
    };
    for (const Case& c : refused) EXPECT_EQ(CObjectManager::HandleContainerItem(c.record), nullptr) << c.name;
    ContainerItemRecord asPlayer = contained(0, G_KNIFE, pack->serial);
    asPlayer.serial = kPlayerSerial;
    EXPECT_EQ(CObjectManager::HandleContainerItem(asPlayer), nullptr);
    EXPECT_EQ(CObjectManager::FindObject(kPlayerSerial), player);
    EXPECT_EQ(CObjectManager::FindObject(0x31 | kItemSerialBit), inner);
    // The same serial again replaces the old item; a mobile is a container too.
    CDynamicObj* again = CObjectManager::HandleContainerItem(contained(0x31, G_KNIFE, pack->serial, 3, 4));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(CObjectManager::FindObject(0x31 | kItemSerialBit), again);
    EXPECT_EQ(again->locX, 3);
    EXPECT_NE(CObjectManager::HandleContainerItem(contained(0x33, G_KNIFE, kPlayerSerial)), nullptr);
}

TEST_F(ObjectManagerTest, AnItemLeavingItsContainerByPickUpOrDeletionIsShownGone)
{
    CDynamicObj* pack = CObjectManager::HandleMove(item(0x60, G_BACKPACK));
    CObjectManager::HandleContainerItem(contained(0x61, G_KNIFE, pack->serial));
    CObjectManager::HandleContainerItem(contained(0x62, G_KNIFE, pack->serial));
    gumps.contentsChanged.clear();
    CObjectManager::GetObject(CObjectManager::FindObject(0x61 | kItemSerialBit), 0);
    EXPECT_EQ(gumps.contentsChanged, std::vector<uint32_t>{pack->serial}) << "picked up";
    EXPECT_TRUE(CObjectManager::DeleteObject(0x62 | kItemSerialBit));
    EXPECT_EQ(gumps.contentsChanged, (std::vector<uint32_t>{pack->serial, pack->serial})) << "deleted";
    EXPECT_EQ(static_cast<CContainerObj*>(pack)->contents.count, 0u);
}

TEST_F(ObjectManagerTest, WorldResetKeepsThePlayerAndItsHighLayers)
{
    CObjectManager::HandleMove(item(0x50, G_KNIFE));
    CObjectManager::HandleMove(mobile(0x51, 17, 101, 102));
    CDynamicObj* pack = CObjectManager::HandleMove(item(0x52, G_BACKPACK));
    CDynamicObj* bank = CObjectManager::HandleMove(item(0x53, G_BACKPACK));
    pack->EquipOn(player, 21);
    bank->EquipOn(player, 29);
    CObjectManager::HandleContainerItem(contained(0x54, G_KNIFE, bank->serial));
    CObjectManager::DeleteAllButPlayer();
    EXPECT_EQ(World().world.count, 0u); // the player is off the map too
    EXPECT_EQ(player->offMap, 1);
    EXPECT_EQ(player->layers[21], nullptr);
    EXPECT_EQ(CObjectManager::FindObject(0x52 | kItemSerialBit), nullptr);
    // Layers 26..29 are not part of the reset: the bank box and its contents stay.
    EXPECT_EQ(player->layers[29], bank);
    EXPECT_NE(CObjectManager::FindObject(0x54 | kItemSerialBit), nullptr);
    EXPECT_EQ(World().objects.count, 3u);
    EXPECT_EQ(World().mobiles.count, 1u);
}

TEST_F(ObjectManagerTest, PickUpKeepsSerialsAndOpensTheStackGumpForStacks)
{
    CDynamicObj* pack = CObjectManager::HandleMove(item(0x60, G_BACKPACK));
    CDynamicObj* one = CObjectManager::HandleContainerItem(contained(0x61, G_ARROW, pack->serial, 0, 0, 1));
    CDynamicObj* two = CObjectManager::HandleContainerItem(contained(0x62, G_ARROW, pack->serial, 0, 0, 2));
    CObjectManager::GetObject(two, 0);
    EXPECT_EQ(gumps.stackGumps, 1);
    EXPECT_TRUE(net.pickedUp.empty());
    gumps.stackGumpOpens = false;
    CObjectManager::GetObject(two, 0);
    EXPECT_NE(install.log().find("CObjectManager::GetObject: Prevented client crash"), std::string::npos);

    CObjectManager::GetObject(one, 0);
    ASSERT_EQ(net.pickedUp.size(), 1u);
    EXPECT_EQ(net.pickedUp[0], std::make_pair(0x61u | kItemSerialBit, uint16_t{1}));
    EXPECT_EQ(gumps.dragGumps, 1);
    EXPECT_TRUE(World().pickUpPending);
    EXPECT_EQ(World().pickUp.container, pack->serial);
    EXPECT_EQ(CObjectManager::FindObject(0x61 | kItemSerialBit), nullptr);
    // The container may go before the server answers: the record names it only by serial.
    const uint32_t packSerial = pack->serial;
    pack->Release();
    EXPECT_EQ(World().pickUp.container, packSerial);
    EXPECT_EQ(CObjectManager::FindObject(World().pickUp.container), nullptr);

    // Out of reach: nothing.
    CDynamicObj* far = CObjectManager::HandleMove(item(0x63, G_KNIFE, 110, 100));
    CObjectManager::GetObject(far, 0);
    EXPECT_EQ(net.pickedUp.size(), 1u);
    // Worn items remember the mobile and the layer; a part of a stack picks up directly.
    CDynamicObj* knife = CObjectManager::HandleMove(item(0x64, G_KNIFE));
    knife->EquipOn(player, 1);
    CObjectManager::GetObject(knife, 0);
    EXPECT_EQ(World().pickUp.wornOn, kPlayerSerial);
    EXPECT_EQ(World().pickUp.layer, 1);
    CDynamicObj* heap = CObjectManager::HandleMove(item(0x65, G_ARROW, 101, 101, 50));
    CObjectManager::GetObject(heap, 20);
    EXPECT_EQ(net.pickedUp.back().second, 20);
}

TEST_F(ObjectManagerTest, DoubleClickUsesOrTargetsOrRaisesTheCourse)
{
    CDynamicObj* knife = CObjectManager::HandleMove(item(0x70, G_KNIFE));
    CDynamicObj* scroll = CObjectManager::HandleMove(item(0x71, G_SCROLL));
    CDynamicObj* map = CObjectManager::HandleMove(item(0x72, G_MAP));
    CObjectManager::DoubleClick(knife);
    CObjectManager::DoubleClick(scroll);
    EXPECT_EQ(net.used, std::vector<uint32_t>{knife->serial});
    EXPECT_EQ(gumps.scrollTargets, std::vector<int32_t>{1});
    EXPECT_EQ(World().lastUsedSerial, scroll->serial);
    CObjectManager::DoubleClick(map); // no course gump open: used
    EXPECT_EQ(net.used.size(), 2u);
    gumps.courseGump = reinterpret_cast<CGump*>(&gumps);
    CObjectManager::DoubleClick(map);
    EXPECT_EQ(net.used.size(), 2u);
    EXPECT_EQ(gumps.broughtToFront, 1);
    CObjectManager::DoubleClick(nullptr);
}

TEST_F(ObjectManagerTest, ThePickUnderAPointMustBeAnObject)
{
    EXPECT_EQ(CObjectManager::GetObjAtScreenLoc(5, 5), nullptr);
    CDynamicObj* knife = CObjectManager::HandleMove(item(0x75, G_KNIFE));
    draw.picked = knife;
    EXPECT_EQ(CObjectManager::GetObjAtScreenLoc(5, 5), knife);
    CLandTile* land = NewLandTile(3, 100, 100, 0);
    draw.picked = land;
    EXPECT_EQ(CObjectManager::GetObjAtScreenLoc(5, 5), nullptr);
    EXPECT_NE(install.log().find("CObjectManager::GetObjAtScreenLoc: either pointer 'pItem' is not valid"), std::string::npos);
    land->Release();
}

TEST_F(ObjectManagerTest, TileDataWriteBackChecksTheGroupAndRebuildsLights)
{
    const std::string path = install.installFile("tiledata.mul");
    const auto fileBytes = [&] {
        std::ifstream in(path, std::ios::binary);
        return formats::Bytes(std::istreambuf_iterator<char>(in), {});
    };
    const formats::Bytes original = fileBytes();
    formats::TileDataWriter t = testTileData();
    t.item(G_KNIFE, {.flags = 0x800000, .weight = 1, .name = "lamp"});
    const uint32_t g = G_KNIFE / 32;
    const formats::Bytes group = t.itemGroup(g, 0x11223344);
    for (int32_t bad : {-1, 1024, 5000}) EXPECT_FALSE(CObjectManager::SetItemTileData(bad, group.data(), group.size())) << bad;
    EXPECT_FALSE(CObjectManager::SetItemTileData(512 + static_cast<int32_t>(g), group.data(), group.size() - 1));
    EXPECT_EQ(fileBytes(), original);

    CDynamicObj* knife = CObjectManager::HandleMove(item(0x80, G_KNIFE));
    EXPECT_EQ(World().lights.count, 0u);
    ASSERT_TRUE(CObjectManager::SetItemTileData(512 + static_cast<int32_t>(g), group.data(), group.size()));
    EXPECT_STREQ(TileData::Item(G_KNIFE).name, "lamp");
    EXPECT_EQ(World().lights.head, knife);
    const formats::Bytes written = fileBytes();
    ASSERT_EQ(written.size(), original.size());
    const size_t at = TileData::kItemPartOffset + g * TileData::kItemGroupSize;
    EXPECT_EQ(formats::Bytes(written.begin() + static_cast<long>(at), written.begin() + static_cast<long>(at + group.size())), group);

    // A land group below 512 goes to the land part.
    t.land(5, {.texture = 77, .name = "sand"});
    const formats::Bytes land = t.landGroup(0);
    ASSERT_TRUE(CObjectManager::SetItemTileData(0, land.data(), land.size()));
    EXPECT_EQ(TileData::Land(5).textureId, 77);
    EXPECT_STREQ(TileData::Land(5).name, "sand");
}

TEST_F(ObjectManagerTest, MissingTileDataIsLogged)
{
    // A fresh file manager: one that opened the file before treats its loss as fatal.
    FileManager::shutdown();
    FileManager::startup();
    std::filesystem::remove(install.installFile("tiledata.mul"));
    EXPECT_FALSE(CObjectManager::LoadTileData());
    EXPECT_NE(install.log().find("CObjectManager::SetItemTileData: cannot open 'tiledata.mul'."), std::string::npos);
    EXPECT_EQ(TileData::ItemFlags(G_BACKPACK), 0u);
}

} // namespace
