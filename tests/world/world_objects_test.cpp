/** @file Tests of the world object classes: hues, names, body kinds, land heights, pools, lists and holders. */
#include "client/world/body_kind.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/world_objects.h"
#include "tests/world/world_test_fixture.h"

#include "client/data/anim_data.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testsupport::WorldTest;
using namespace testsupport;

TEST(NormalizeHueTest, IndexZeroKeepsBit15AndLargeIndexesBecomeOne)
{
    struct Case {
        uint16_t hue, expected;
    };
    const Case cases[] = {{0x0000, 0x0000}, {0x8000, 0x8000}, {0xC000, 0x8000}, {0x4000, 0x0000}, {0x0021, 0x0021},
                          {0x8BB7, 0x8BB7}, {0x0BB8, 0x0001}, {0xCBB8, 0xC001}, {0x7FFF, 0x4001}};
    for (const Case& c : cases) EXPECT_EQ(NormalizeHue(c.hue), c.expected) << std::hex << c.hue;
}

TEST(BodyKindTest, KindsAndPredicates)
{
    InitBodyKindTable();
    int counts[5] = {};
    for (int32_t b = 0; b < kBodyKindCount; ++b)
        if (b != 0 && GetBodyKind(b) != 4) ++counts[GetBodyKind(b)];
    EXPECT_EQ(counts[0], 132);
    EXPECT_EQ(counts[1], 4);
    EXPECT_EQ(counts[2], 66);
    EXPECT_EQ(counts[3], 7);
    for (int32_t body : {0, 1999, 2000, 65535, -1}) EXPECT_EQ(GetBodyKind(body), 4) << body;
    EXPECT_EQ(GetBodyKind(206), 0);
    EXPECT_TRUE(BodyUsesAltLayout(206));
    EXPECT_EQ(GetBodyKind(205), 2);
    EXPECT_EQ(GetBodyKind(400), 3);
    EXPECT_EQ(GetBodyKind(1973), 4);
    EXPECT_TRUE(BodyHasAction12(1973)); // kind 4 from the table
    EXPECT_TRUE(BodyHasAction12(13));   // the fixed list
    EXPECT_FALSE(BodyHasAction12(1999)); // unknown: kind 4 but not in the table
    EXPECT_TRUE(BodyUsesCreatureLayout(134));
    EXPECT_TRUE(BodyHasIdleAction19(62));
    EXPECT_FALSE(BodyHasIdleAction19(63));
}

TEST(SlopedLandTest, HeightsFromTheCorners)
{
    const int8_t corners[4] = {10, 0, -10, 4};
    CSlopedLandTile* tile = NewSlopedLandTile(3, 5, 5, corners);
    // |c1 - c3| = 4 < |c0 - c2| = 20: the mean of corners 1 and 3.
    EXPECT_EQ(tile->GetTopZ(), 2);
    EXPECT_EQ(tile->GetBottomZ(), -10);
    const int32_t expected[8] = {5, 0, -5, -10, -3, 4, 7, 10};
    for (int32_t k = 0; k < 8; ++k) EXPECT_EQ(tile->GetZAt(k), expected[k]) << k;
    tile->Release();
}

class ObjectsTest : public WorldTest {};

TEST_F(ObjectsTest, TileNamesTakeArticlesAndPluralParts)
{
    struct Case {
        uint16_t graphic;
        bool plural;
        const char* expected;
    };
    const Case cases[] = {
        {G_KNIFE, false, "a knife"},       {G_KNIFE, true, "knives"},     {G_GOLD, false, "gold coin"},
        {G_GOLD, true, "gold coins"},      {G_ARROW, false, "an arrow"},  {G_ARROW, true, "arrows"},
        {G_BOOKCASE, false, "bookcase"},
    };
    for (const Case& c : cases) EXPECT_STREQ(FormatTileName(c.graphic, c.plural), c.expected) << c.graphic;

    CDynamicObj* arrows = CObjectManager::HandleMove(item(10, G_ARROW, 101, 101, 1));
    ASSERT_NE(arrows, nullptr);
    EXPECT_STREQ(arrows->GetTileName(), "an arrow");
    arrows->amount = 2;
    EXPECT_STREQ(arrows->GetTileName(), "arrows");
}

TEST_F(ObjectsTest, TwentyByteNamesWithoutNulAreCut)
{
    formats::TileDataWriter t = testTileData();
    t.item(0x20, {.name = "abcdefghijklmnopqrstuvwxyz"});
    const formats::Bytes group = t.itemGroup(1);
    ASSERT_TRUE(CObjectManager::SetItemTileData(512 + 1, group.data(), group.size()));
    EXPECT_STREQ(TileData::Item(0x20).name, "abcdefghijklmnopqrst");
    EXPECT_STREQ(FormatTileName(0x20, true), "abcdefghijklmnopqrst");
}

TEST_F(ObjectsTest, PileGraphicsDrawByAmount)
{
    CDynamicObj* gold = CObjectManager::HandleMove(item(11, G_GOLD));
    ASSERT_NE(gold, nullptr);
    const struct {
        uint16_t amount;
        int32_t art;
    } cases[] = {{1, G_GOLD + 0x4000}, {3, G_GOLD + 0x4001}, {5, G_GOLD + 0x4001}, {6, G_GOLD + 0x4002}};
    for (const auto& c : cases) {
        gold->amount = c.amount;
        EXPECT_EQ(gold->GetArtImage(), c.art) << c.amount;
    }
    EXPECT_EQ(gold->IsDrawnAsStack(), 0); // a pile is drawn by its own graphic
    CDynamicObj* arrows = CObjectManager::HandleMove(item(12, G_ARROW, 101, 101, 2));
    EXPECT_EQ(arrows->IsDrawnAsStack(), 1);
}

TEST_F(ObjectsTest, StaticPoolReusesTheLastReleasedFirst)
{
    const PoolCounts start = StaticPoolCounts();
    CObj* a = NewStaticObj(G_WALL);
    CObj* b = NewStaticObj(G_WALL);
    EXPECT_EQ(StaticPoolCounts().handedOut, start.handedOut + 2);
    EXPECT_EQ(a->GetHeight(), 20);
    a->PlaceAt(101, 101, 0);
    a->Release();
    b->Release();
    EXPECT_EQ(World().world.count, 1u); // the player only: the released static left the world
    EXPECT_EQ(NewStaticObj(G_WALL), b);
    CObj* again = NewStaticObj(G_WALL);
    EXPECT_EQ(again, a);
    EXPECT_EQ(again->offMap, 1); // a fresh object
    EXPECT_EQ(StaticPoolCounts().made, start.made == 0 ? 512u : start.made);
    b->Release();
    again->Release();
}

TEST_F(ObjectsTest, PlacingJoinsTheLightAnimatedAndFoliageLists)
{
    animCrap::ClearObjects();
    CDynamicObj* candle = CObjectManager::HandleMove(item(20, G_CANDLE));
    CDynamicObj* fire = CObjectManager::HandleMove(item(21, G_FIRE));
    CDynamicObj* tree = CObjectManager::HandleMove(item(22, G_TREE));
    ASSERT_TRUE(candle && fire && tree);
    EXPECT_EQ(World().lights.head, candle);
    EXPECT_EQ(World().foliage.head, tree);
    EXPECT_EQ(draw.lightAreas, 1);
    EXPECT_EQ(World().world.count, 4u);
    EXPECT_EQ(tree->GetTopZ(), 20);
    candle->RemoveFromWorld();
    EXPECT_EQ(World().lights.count, 0u);
    EXPECT_EQ(draw.lightAreas, 2);
    fire->Release(); // leaves the animated list with it
    animCrap::Update();
    EXPECT_EQ(World().world.count, 2u);
}

TEST_F(ObjectsTest, EquipmentSetsHandsAndMountAndLeavesItsSlot)
{
    CDynamicObj* knife = CObjectManager::HandleMove(item(30, G_KNIFE));
    CDynamicObj* horse = CObjectManager::HandleMove(item(31, G_KNIFE));
    CDynamicObj* bank = CObjectManager::HandleMove(item(32, G_BACKPACK));
    knife->EquipOn(player, 1);
    horse->EquipOn(player, 25);
    bank->EquipOn(player, 30); // past the slots: ignored
    EXPECT_EQ(player->layers[1], knife);
    EXPECT_EQ(knife->parent, player);
    EXPECT_EQ(knife->layer, 1);
    EXPECT_EQ(knife->IsWorn(), 1);
    EXPECT_EQ(player->handsBusy, 1);
    EXPECT_EQ(player->mounted, 1);
    EXPECT_EQ(bank->parent, nullptr);
    EXPECT_EQ(World().world.count, 2u); // the player and the bank item
    knife->RemoveFromWorld();
    EXPECT_EQ(player->layers[1], nullptr);
    EXPECT_EQ(player->handsBusy, 0);
    EXPECT_GE(gumps.paperdollRefreshes, 3);
    horse->Release();
    EXPECT_EQ(player->layers[25], nullptr);
    EXPECT_EQ(player->mounted, 0);
}

TEST_F(ObjectsTest, ContainersKeepTheirOrder)
{
    struct Case {
        const char* name;
        uint16_t container;
        std::vector<std::array<int32_t, 3>> items; // x, y, amount
        std::vector<uint32_t> order;               // serials head to tail
    };
    const Case cases[] = {
        {"bookcase: ascending x", G_BOOKCASE, {{5, 0, 1}, {2, 0, 1}, {5, 0, 1}, {9, 0, 1}}, {2, 3, 1, 4}},
        {"drawers: descending y", G_DRAWERS, {{0, 5, 1}, {0, 9, 1}, {0, 5, 1}, {0, 1, 1}}, {2, 3, 1, 4}},
        {"spellbook: ascending amount", G_SPELLBOOK, {{0, 0, 7}, {0, 0, 3}, {0, 0, 7}}, {2, 3, 1}},
        {"backpack: newest first", G_BACKPACK, {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}}, {3, 2, 1}},
    };
    uint32_t base = 0x100;
    for (const Case& c : cases) {
        base += 0x100;
        CDynamicObj* box = CObjectManager::HandleMove(item(base, c.container));
        ASSERT_NE(box, nullptr) << c.name;
        uint32_t n = 0;
        for (const auto& i : c.items) {
            ++n;
            ASSERT_NE(CObjectManager::HandleContainerItem(contained(base + n, G_KNIFE, box->serial, i[0], i[1],
                                                                    static_cast<uint16_t>(i[2]))),
                      nullptr)
                << c.name;
        }
        std::vector<uint32_t> got;
        for (CObj* o = static_cast<CContainerObj*>(box)->contents.head; o != nullptr; o = o->worldLinks.next)
            got.push_back(o->GetSerial() - (base | kItemSerialBit));
        EXPECT_EQ(got, c.order) << c.name;
    }
}

TEST_F(ObjectsTest, DestroyingHoldersReleasesWhatTheyHold)
{
    CDynamicObj* pack = CObjectManager::HandleMove(item(40, G_BACKPACK));
    CObjectManager::HandleContainerItem(contained(41, G_BACKPACK, pack->serial));
    CObjectManager::HandleContainerItem(contained(42, G_KNIFE, 41 | kItemSerialBit));
    CDynamicObj* orc = CObjectManager::HandleMove(mobile(0x50, 17, 102, 102));
    CDynamicObj* axe = CObjectManager::HandleMove(item(43, G_KNIFE));
    axe->EquipOn(static_cast<CMobile*>(orc), 2);
    const size_t before = World().objects.count;
    pack->Release();
    EXPECT_EQ(World().objects.count, before - 3);
    EXPECT_EQ(CObjectManager::FindObject(42 | kItemSerialBit), nullptr);
    ASSERT_TRUE(CObjectManager::DeleteObject(0x50));
    EXPECT_EQ(CObjectManager::FindObject(43 | kItemSerialBit), nullptr);
    EXPECT_EQ(World().mobiles.count, 1u);
    EXPECT_FALSE(CObjectManager::DeleteObject(kPlayerSerial));
}

TEST_F(ObjectsTest, EquippingNeverBreaksTheHolderChains)
{
    // An item the mobile carries in its contents moves to a layer: it leaves the contents.
    CDynamicObj* knife = CObjectManager::HandleContainerItem(contained(44, G_KNIFE, kPlayerSerial));
    ASSERT_EQ(player->contents.head, knife);
    knife->EquipOn(player, 1);
    EXPECT_EQ(player->contents.count, 0u);
    EXPECT_EQ(player->layers[1], knife);
    // A container may not be worn by a mobile it holds.
    CDynamicObj* crate = CObjectManager::HandleMove(item(45, G_BACKPACK));
    auto* rat = static_cast<CMobile*>(CObjectManager::HandleMove(mobile(0x46, 17, 101, 101)));
    static_cast<CObj*>(rat)->AddToContainer(static_cast<CContainerObj*>(crate), 1, 1, 0);
    ASSERT_EQ(rat->parent, crate);
    crate->EquipOn(rat, 21);
    EXPECT_EQ(rat->layers[21], nullptr);
    EXPECT_EQ(crate->parent, nullptr);
    crate->Release();
    EXPECT_EQ(CObjectManager::FindObject(0x46), nullptr);
}

TEST_F(ObjectsTest, MapItemPins)
{
    CDynamicObj* o = CObjectManager::HandleMove(item(60, G_MAP));
    ASSERT_EQ(o->IsMapItem(), 1);
    auto* map = static_cast<CMapObj*>(o);
    EXPECT_EQ(map->EditPins(1, 0, 10, 10), 1);
    EXPECT_EQ(map->EditPins(1, 0, 30, 30), 2);
    EXPECT_EQ(map->EditPins(2, 0, 5, 5), 3); // at the head
    EXPECT_EQ(map->pins[0].x, 5);
    EXPECT_EQ(map->EditPins(3, 1, 11, 12), 1);
    EXPECT_EQ(map->pins[1].y, 12);
    EXPECT_EQ(map->EditPins(3, 9, 1, 1), 9); // no such pin: nothing moves
    EXPECT_EQ(map->EditPins(4, 0, 0, 0), 2);
    EXPECT_EQ(map->EditPins(4, 7, 0, 0), 2);
    EXPECT_EQ(map->EditPins(7, 0, 0, 0), 6);
    EXPECT_EQ(map->EditPins(5, 0, 0, 0), 0);
}

TEST_F(ObjectsTest, DeathLinks)
{
    CDynamicObj* orc = CObjectManager::HandleMove(mobile(0x70, 17, 101, 101, 3));
    CDynamicObj* corpse = CObjectManager::HandleMove(item(0x71, 0x2006));
    ASSERT_EQ(corpse->IsCorpse(), 1);
    auto* m = static_cast<CMobile*>(orc);
    m->PlayDeathAnimation(corpse->serial, 0);
    const uint32_t marked = 0x70 | kDyingSerialBit;
    EXPECT_EQ(m->serial, marked);
    EXPECT_EQ(CObjectManager::FindObject(marked), m);
    EXPECT_EQ(CObjectManager::FindObject(0x70), nullptr);
    EXPECT_EQ(m->action, 3); // kind 0, flag 0
    AddDeathLink(corpse->serial, 0x1234, 0, 0); // the same corpse again: nothing added
    EXPECT_EQ(DeathLinkCount(), 1u);
    EXPECT_EQ(FindDyingMobileCorpse(marked), corpse);
    EXPECT_TRUE(IsDeathLinked(0, marked));
    RemoveDeathLink(corpse->serial, 0, false);
    EXPECT_EQ(DeathLinkCount(), 0u);
    EXPECT_EQ(corpse->direction, 0x80 | 3);
    EXPECT_EQ(CObjectManager::FindObject(marked), nullptr); // the dying mobile went
}

} // namespace
