/** @file Tests of the container gump, the drag gump and the stack amount gump, driven through the window procedure. */
#include "client/gumps/game/bark_gump.h"
#include "client/gumps/game/container_gump.h"
#include "client/gumps/game/drag_gump.h"
#include "client/gumps/game/speech_display.h"
#include "client/gumps/game/stack_amount_gump.h"

#include "client/core/config_store.h"
#include "client/data/data_settings.h"
#include "client/data/gump_art.h"
#include "client/data/map_manager.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/game/world_view.h"
#include "client/gumps/game/world_view_services.h"
#include "client/gumps/login/login_flow.h"
#include "client/net/packet_builders.h"
#include "client/net/world_handlers.h"
#include "client/render/text_manager.h"
#include "client/world/draw_item.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/world_draw_services.h"
#include "client/world/world_objects.h"
#include "client/world/world_services.h"
#include "tests/support/gump_fixtures.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using testsupport::GumpEventDriver;
using testsupport::GumpHarness;
using testsupport::TestImage;

constexpr uint16_t kBackpack = 0x0E75;   // gump 60
constexpr uint16_t kCoins = 0x0EED;      // a stackable pile graphic
constexpr uint16_t kGem = 0x0F10;
constexpr uint16_t kSmallChest = 2711;   // gump 77: content 64 x 56
constexpr uint16_t kTable = 0x0B3F;
constexpr uint16_t kBigItem = 0x0C00;
constexpr uint16_t kShirt = 0x1517;
constexpr uint32_t kPack = 0x40000010;
constexpr uint16_t kRed = 0x7C00;
constexpr uint16_t kGreen = 0x03E0;
constexpr uint16_t kPackBackground = 0x2111; // red, green and blue bits: a second 565 conversion changes it

class RecordingSounds final : public WorldSoundServices {
public:
    void PlaySound(int32_t sound) override { played.push_back(sound); }
    std::vector<int32_t> played;
};

/** The world's use and pick-up requests on the main connection (the program's come with the net handlers). */
class WireRequests final : public WorldNetServices {
public:
    void SendUseObject(uint32_t serial) override
    {
        uint8_t packet[5];
        BuildUseObjectPacket(packet, serial);
        SendOnMainConnection(packet);
    }
    void SendPickUp(uint32_t serial, uint16_t amount) override
    {
        uint8_t packet[7];
        BuildPickUpItemPacket(packet, serial, amount);
        SendOnMainConnection(packet);
    }
};

/** A stand-in for the world view: a drop target whose objects come from the draw services' pick. */
class FakeWorldView final : public CGump {
public:
    FakeWorldView() : CGump(0, 0, 0, nullptr, 1, 640, 480) { AttachToParent(nullptr); }
    int IsMapGump() override { return 1; }
    int AcceptsDrop() override { return 1; }
    bool HitTest(int px, int py) override { return px >= 0 && py >= 0 && px < width && py < height; }
    void Draw(const GumpCanvas&) override {}
};

/** A stand-in for the paperdoll: shows a mobile, takes drops. */
class FakePaperdoll final : public CGump {
public:
    explicit FakePaperdoll(CMobile* mobile) : CGump(20, 200, 0, mobile, 1, 200, 250) { AttachToParent(nullptr); }
    int IsPaperdollGump() override { return 1; }
    int AcceptsDrop() override { return 1; }
    bool HitTest(int px, int py) override { return px >= 0 && py >= 0 && px < width && py < height; }
    void Draw(const GumpCanvas&) override {}
};

/** Every point picks one item; an object with a serial only while the world still has it. */
class PickDraw final : public WorldDrawServices {
public:
    CDrawItem* PickAt(int32_t, int32_t, int) override
    {
        if (serial != 0 && CObjectManager::FindObject(serial) != picked)
            return nullptr;
        return picked;
    }
    void pick(CDrawItem* item, uint32_t itemSerial = 0)
    {
        picked = item;
        serial = itemSerial;
    }
    CDrawItem* picked = nullptr;
    uint32_t serial = 0;
};

struct Drop {
    uint32_t serial, target;
    uint16_t x, y;
    int8_t z;
};

uint32_t be32(const std::vector<uint8_t>& p, size_t at)
{
    return static_cast<uint32_t>(p[at] << 24 | p[at + 1] << 16 | p[at + 2] << 8 | p[at + 3]);
}
uint16_t be16(const std::vector<uint8_t>& p, size_t at)
{
    return static_cast<uint16_t>(p[at] << 8 | p[at + 1]);
}

class ContainerTest : public ::testing::Test {
protected:
    ContainerTest()
    {
        h.addGumpArt(60, TestImage::solid(200, 180, kPackBackground));
        h.addGumpArt(80, TestImage::solid(40, 30, 0x0012));
        h.addGumpArt(2140, TestImage::solid(200, 60, 0x0013));
        h.addGumpArt(2117, TestImage::solid(10, 10, 0x0014));
        h.addGumpArt(2118, TestImage::solid(10, 10, 0x0015));
        h.addGumpArt(2141, TestImage::solid(20, 15, 0x0016));
        h.addGumpArt(2142, TestImage::solid(20, 15, 0x0017));
        h.addStaticArt(kCoins, TestImage::solid(20, 10, kRed));
        h.addStaticArt(kCoins + 1, TestImage::solid(20, 10, kRed));
        h.addStaticArt(kCoins + 2, TestImage::solid(20, 10, kRed));
        h.addStaticArt(kGem, TestImage::solid(20, 20, kGreen));
        h.addStaticArt(kBigItem, TestImage::solid(70, 70, kGreen));
        h.addStaticArt(0, TestImage::solid(4, 4, kGreen));
        h.addStaticArt(kShirt, TestImage::solid(20, 20, kGreen));
        h.addGumpArt(50000 + 430, TestImage::solid(40, 40, kGreen)); // the shirt worn: 8..47, 19..58
        h.addGumpArt(50000 + 422, TestImage::solid(30, 30, kGreen).hole(0, 0, 30, 10)); // the backpack worn
        h.useFixedWidthFonts(6, 12);
        h.start();
        CObjectManager::startup();
        TileData::MutableItem(kBackpack).flags = TILE_CONTAINER;
        TileData::MutableItem(kSmallChest).flags = TILE_CONTAINER;
        TileData::MutableItem(kCoins).flags = TILE_STACKABLE;
        TileData::MutableItem(kTable).flags = TILE_SURFACE;
        TileData::MutableItem(kTable).height = 6;
        TileData::MutableItem(kShirt) = {TILE_WEARABLE, 1, 5, 0, 430, 0, 0, 0, {}};
        TileData::MutableItem(kBackpack).animationId = 422;
        MapManager::CenterX = 100;
        MapManager::CenterY = 100;
        player = CObjectManager::CreatePlayer(1, 400);
        player->PlaceAt(100, 100, 0);
        SetWorldSoundServices(&sounds);
        SetWorldDrawServices(&draw);
        SetWorldNetServices(&requests);
        InstallContainerServices(true);
        pack = static_cast<CContainerObj*>(CObjectManager::HandleMove(worldItem(kPack, kBackpack, 101, 100)));
    }
    ~ContainerTest() override
    {
        while (CGump* g = CGumpManager::First())
            delete g;
        InstallContainerServices(false);
        CObjectManager::shutdown();
        TileData::Clear();
        SetWorldSoundServices(nullptr);
        SetWorldDrawServices(nullptr);
        SetWorldNetServices(nullptr);
    }

    static ObjectRecord worldItem(uint32_t serial, uint16_t graphic, int x, int y, uint16_t amount = 1)
    {
        ObjectRecord r;
        r.serial = serial;
        r.graphic = graphic;
        r.amount = amount;
        r.x = static_cast<uint16_t>(x);
        r.y = static_cast<uint16_t>(y);
        return r;
    }
    CDynamicObj* putIn(uint32_t serial, uint16_t graphic, int x, int y, uint16_t amount = 1, uint16_t hue = 0,
                       uint32_t into = kPack)
    {
        ContainerItemRecord r;
        r.serial = serial;
        r.graphic = graphic;
        r.amount = amount;
        r.x = static_cast<uint16_t>(x);
        r.y = static_cast<uint16_t>(y);
        r.container = into;
        r.hue = hue;
        return CObjectManager::HandleContainerItem(r);
    }
    CContainerGump* open(CContainerObj* c = nullptr)
    {
        return static_cast<CContainerGump*>(CGumpManager::OpenGump(c != nullptr ? c : pack, 60, nullptr, 1, 0));
    }
    /** The screen point of a gump point. */
    static std::pair<int, int> at(const CGump* g, int gx, int gy) { return {g->x + gx, g->y + gy}; }

    std::vector<std::vector<uint8_t>> sent(uint8_t id)
    {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& p : h.packets().packets)
            if (!p.empty() && p[0] == id)
                out.push_back(p);
        return out;
    }
    std::vector<Drop> drops()
    {
        std::vector<Drop> out;
        for (const auto& p : sent(0x08))
            out.push_back({be32(p, 1), be32(p, 10), be16(p, 5), be16(p, 7), static_cast<int8_t>(p[9])});
        return out;
    }
    /** Lifts an item the way the world does and puts the pointer at a screen point. */
    CDragGump* lift(CDynamicObj* item, int sx, int sy, uint16_t amount = 1)
    {
        drive.move(sx, sy);
        CObjectManager::GetObject(item, amount);
        return CDragGump::Current();
    }

    GumpHarness h;
    GumpEventDriver drive{h};
    RecordingSounds sounds;
    PickDraw draw;
    WireRequests requests;
    CPlayerMobile* player = nullptr;
    CContainerObj* pack = nullptr;
};

TEST_F(ContainerTest, OpeningDrawsTheFirstItemOnTopAndPicksItThere)
{
    putIn(0x40000021, kGem, 60, 80);  // older: second in the list
    putIn(0x40000022, kCoins, 65, 85); // newer: first in the list, overlapping
    CContainerGump* g = open();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(pack->openGump, g);
    EXPECT_EQ(sounds.played, std::vector<int32_t>{72});
    const GumpBitmap* b = g->Frame(0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->pixel(70, 88), kRed);   // the overlap shows the first item
    EXPECT_EQ(b->pixel(61, 81), kGreen); // the other one outside the overlap
    EXPECT_EQ(b->pixel(5, 5), kPackBackground);   // the background art
    EXPECT_EQ(g->GetItemAt(70, 88)->GetSerial(), 0x40000022u);
    EXPECT_EQ(g->GetItemAt(61, 81)->GetSerial(), 0x40000021u);
    EXPECT_EQ(g->GetItemAt(5, 5), nullptr);
}

TEST_F(ContainerTest, InA565DisplayTheBackgroundAndTheItemsAreEachConvertedOnce)
{
    use565 = 1;
    kzdata::dataSettings().use565 = true;
    putIn(0x40000021, kGem, 60, 80);
    const GumpBitmap* b = open()->Frame(0);
    use565 = 0;
    kzdata::dataSettings().use565 = false;
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->pixel(5, 5), Convert555To565(kPackBackground));
    EXPECT_EQ(b->pixel(61, 81), Convert555To565(kGreen));
}

TEST_F(ContainerTest, TheOpenContainerPacketOpensTheGumpOnce)
{
    const uint8_t openPack[] = {0x24, 0x40, 0x00, 0x00, 0x10, 0x00, 60};
    HandleOpenContainer(openPack, sizeof openPack);
    auto* g = dynamic_cast<CContainerGump*>(CGumpManager::First());
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->object, pack);
    EXPECT_EQ(g->gumpArt, 60);
    HandleOpenContainer(openPack, sizeof openPack);
    EXPECT_EQ(g->NextSibling(), nullptr) << "the open one is raised, not opened twice";
}

TEST_F(ContainerTest, AnItemOutsideTheContentAreaIsPutBackInside)
{
    open();
    CDynamicObj* gem = putIn(0x40000021, kGem, 180, 10);
    // Content area of gump 60: 44, 65 to 186, 159; the 20 x 20 gem ends one pixel inside it.
    EXPECT_EQ(gem->locX, 186 - 1 - 20);
    EXPECT_EQ(gem->locY, 66);
}

TEST_F(ContainerTest, ClicksNameUseAndLiftItems)
{
    putIn(0x40000021, kGem, 60, 80);
    CContainerGump* g = open();
    const auto [sx, sy] = at(g, 65, 85);

    drive.move(sx, sy);
    drive.click(sx, sy);
    drive.pass(100);
    EXPECT_TRUE(sent(0x09).empty()) << "a single click waits for the double-click time";
    drive.pass(500);
    ASSERT_EQ(sent(0x09).size(), 1u);
    EXPECT_EQ(be32(sent(0x09)[0], 1), 0x40000021u);

    drive.click(sx, sy);
    drive.click(sx, sy);
    drive.pass(600);
    ASSERT_EQ(sent(0x06).size(), 1u);
    EXPECT_EQ(be32(sent(0x06)[0], 1), 0x40000021u);
    EXPECT_EQ(sent(0x09).size(), 1u) << "a double click names nothing";

    drive.move(sx, sy);
    drive.leftDown(sx, sy);
    for (int i = 1; i <= 5; ++i) {
        drive.move(sx + i, sy);
        drive.pass(1);
    }
    ASSERT_EQ(sent(0x07).size(), 1u);
    EXPECT_EQ(be32(sent(0x07)[0], 1), 0x40000021u);
    ASSERT_NE(CDragGump::Current(), nullptr);
    EXPECT_EQ(CObjectManager::FindObject(0x40000021), nullptr) << "the lifted item leaves the container";

    // Released inside the container again: it drops there, centred on the pointer.
    drive.leftUp(sx + 5, sy);
    ASSERT_EQ(drops().size(), 1u);
    const Drop d = drops()[0];
    EXPECT_EQ(d.serial, 0x40000021u);
    EXPECT_EQ(d.target, kPack);
    EXPECT_EQ(d.x, 65 + 5 - 10);
    EXPECT_EQ(d.y, 85 - 10);
    h.drawFrame();
    EXPECT_EQ(CDragGump::Current(), nullptr);
}

TEST_F(ContainerTest, DropsIntoAContainerJoinMatchingStacksOnly)
{
    putIn(0x40000030, kCoins, 100, 100, 40, 0);
    CContainerGump* g = open();
    struct Case {
        const char* what;
        uint16_t hue;
        int gx, gy;
        Drop expected;
    };
    const Case cases[] = {
        {"same hue joins the stack at its place", 0, 105, 105, {0x40000040, 0x40000030, 100, 100, 0}},
        {"another hue drops beside it", 0x21, 105, 105, {0x40000040, kPack, 105 - 10, 105 - 5, 0}},
        {"near the edge the drop stays in the content area", 0, 185, 158, {0x40000040, kPack, 186 - 20, 159 - 10, 0}},
    };
    for (const Case& c : cases) {
        h.packets().packets.clear();
        CDynamicObj* loose = CObjectManager::HandleMove(worldItem(0x40000040, kCoins, 101, 101, 5));
        loose->hue = c.hue;
        const auto [sx, sy] = at(g, c.gx, c.gy);
        CDragGump* drag = lift(loose, sx, sy, 5);
        ASSERT_NE(drag, nullptr) << c.what;
        drive.leftDown(sx, sy);
        drive.leftUp(sx, sy);
        ASSERT_EQ(drops().size(), 1u) << c.what;
        const Drop d = drops()[0];
        EXPECT_EQ(d.serial, c.expected.serial) << c.what;
        EXPECT_EQ(d.target, c.expected.target) << c.what;
        EXPECT_EQ(d.x, c.expected.x) << c.what;
        EXPECT_EQ(d.y, c.expected.y) << c.what;
        h.drawFrame();
        EXPECT_EQ(CDragGump::Current(), nullptr) << c.what;
    }
}

TEST_F(ContainerTest, DropsOnTheWorldFollowReachSizeAndSurface)
{
    new FakeWorldView();
    auto* chest = CObjectManager::HandleMove(worldItem(0x40000050, kSmallChest, 101, 101));
    auto* near = NewStaticObj(kTable);
    near->locX = 103;
    near->locY = 100;
    near->z = 2;
    auto* far = NewStaticObj(kTable);
    far->locX = 104;
    far->locY = 100;
    struct Case {
        const char* what;
        CDrawItem* under;
        uint16_t graphic;
        bool accepted;
        Drop expected;
    };
    const Case cases[] = {
        {"a chest whose content area is smaller than the picture", chest, kBigItem, false, {}},
        {"the same chest takes a small item", chest, kGem, true, {0x40000060, 0x40000050, 0xFFFF, 0xFFFF, 0}},
        {"the backpack on the ground", pack, kBigItem, true, {0x40000060, kPack, 0xFFFF, 0xFFFF, 0}},
        {"a table 3 cells away: on its top", near, kGem, true, {0x40000060, 0xFFFFFFFF, 103, 100, 8}},
        {"a table 4 cells away is out of reach", far, kGem, false, {}},
    };
    for (const Case& c : cases) {
        h.packets().packets.clear();
        sounds.played.clear();
        draw.picked = c.under;
        CDynamicObj* item = CObjectManager::HandleMove(worldItem(0x40000060, c.graphic, 100, 101));
        CDragGump* drag = lift(item, 300, 300);
        ASSERT_NE(drag, nullptr) << c.what;
        drive.leftDown(300, 300);
        drive.leftUp(300, 300);
        h.drawFrame();
        if (!c.accepted) {
            EXPECT_TRUE(drops().empty()) << c.what;
            EXPECT_EQ(sounds.played, std::vector<int32_t>{kDropRefusedSound}) << c.what;
            EXPECT_EQ(CDragGump::Current(), drag) << c.what << ": the item stays on the pointer";
            drag->End();
            h.drawFrame();
            continue;
        }
        ASSERT_EQ(drops().size(), 1u) << c.what;
        const Drop d = drops()[0];
        EXPECT_EQ(d.target, c.expected.target) << c.what;
        EXPECT_EQ(d.x, c.expected.x) << c.what;
        EXPECT_EQ(d.y, c.expected.y) << c.what;
        EXPECT_EQ(d.z, c.expected.z) << c.what;
        EXPECT_EQ(CDragGump::Current(), nullptr) << c.what;
    }
    draw.picked = nullptr;
    near->Release();
    far->Release();
}

TEST_F(ContainerTest, APaperdollTakesAWearableOnAFreeLayerOrAnItemIntoAWornContainer)
{
    auto* doll = new FakePaperdoll(player);
    const int shirtX = doll->x + 20, shirtY = doll->y + 30;  // over the shirt's art
    const int packX = doll->x + 100, packY = doll->y + 100; // nothing worn there

    // A free layer: the drag previews the shirt there, the drop equips it.
    CDynamicObj* shirt = CObjectManager::HandleMove(worldItem(0x40000090, kShirt, 100, 101));
    CDragGump* drag = lift(shirt, shirtX, shirtY);
    ASSERT_NE(drag, nullptr);
    EXPECT_EQ(drag->highlightedPaperdoll, doll);
    EXPECT_EQ(drag->highlightedLayer, 5);
    drive.leftDown(shirtX, shirtY);
    drive.leftUp(shirtX, shirtY);
    ASSERT_EQ(sent(0x13).size(), 1u);
    const std::vector<uint8_t> equip = sent(0x13)[0];
    EXPECT_EQ(be32(equip, 1), 0x40000090u);
    EXPECT_EQ(equip[5], 5);
    EXPECT_EQ(be32(equip, 6), 1u);
    h.drawFrame();

    // The layer taken: no preview, and the drop there is refused.
    CDynamicObj* worn = CObjectManager::FindOrMakeObject(0x40000091, kShirt, 0);
    worn->EquipOn(player, 5);
    CDynamicObj* second = CObjectManager::HandleMove(worldItem(0x40000092, kShirt, 100, 101));
    drag = lift(second, shirtX, shirtY);
    EXPECT_EQ(drag->highlightedPaperdoll, nullptr);
    drive.leftDown(shirtX, shirtY);
    drive.leftUp(shirtX, shirtY);
    EXPECT_EQ(sent(0x13).size(), 1u);
    EXPECT_EQ(sounds.played.back(), kDropRefusedSound);
    drag->End();
    h.drawFrame();

    // A worn backpack takes the item as a container does; outside its art nothing is hit.
    CDynamicObj* wornPack = CObjectManager::FindOrMakeObject(0x40000093, kBackpack, 0);
    wornPack->EquipOn(player, 21);
    const int inPackX = doll->x + 8 + 15, inPackY = doll->y + 19 + 20;
    CDynamicObj* gem = CObjectManager::HandleMove(worldItem(0x40000094, kGem, 100, 101));
    drag = lift(gem, packX, packY);
    drive.leftDown(packX, packY);
    drive.leftUp(packX, packY);
    EXPECT_TRUE(drops().empty());
    drive.move(inPackX, inPackY);
    drive.pass(1);
    drive.leftDown(inPackX, inPackY);
    drive.leftUp(inPackX, inPackY);
    ASSERT_EQ(drops().size(), 1u);
    EXPECT_EQ(drops()[0].target, 0x40000093u);
    EXPECT_EQ(drops()[0].x, 0xFFFF);
}

TEST_F(ContainerTest, AnItemGoesFromTheWorldViewIntoTheBackpackAndBackOntoTheGround)
{
    // The real world view under the container gump, the services in the program's order.
    InstallContainerServices(false);
    InstallWorldView();
    InstallContainerServices(true);
    CContainerGump* g = open();
    ASSERT_NE(MapGump(), nullptr);
    CDynamicObj* gem = CObjectManager::HandleMove(worldItem(0x40000060, kGem, 101, 101));
    draw.pick(gem, gem->serial);

    // Out of the world: pressed on the world view, dragged and released over the backpack.
    const auto [cx, cy] = at(g, 100, 100);
    drive.drag(20, 300, cx, cy);
    ASSERT_EQ(sent(0x07).size(), 1u);
    ASSERT_EQ(drops().size(), 1u);
    EXPECT_EQ(drops()[0].target, kPack);
    h.drawFrame();
    EXPECT_EQ(CDragGump::Current(), nullptr);

    // The server puts it in the backpack; it goes back out onto a table beside the player.
    putIn(0x40000060, kGem, 90, 90);
    auto* table = NewStaticObj(kTable);
    table->locX = 102;
    table->locY = 101;
    table->z = 1;
    draw.pick(table);
    const auto [gx, gy] = at(g, 95, 95);
    drive.drag(gx, gy, 20, 300);
    ASSERT_EQ(sent(0x07).size(), 2u);
    ASSERT_EQ(drops().size(), 2u);
    EXPECT_EQ(drops()[1].target, 0xFFFFFFFFu);
    EXPECT_EQ(drops()[1].x, 102);
    EXPECT_EQ(drops()[1].z, 7);
    h.drawFrame();
    draw.picked = nullptr;
    table->Release();
    InstallContainerServices(false);
    UninstallWorldView();
    InstallContainerServices(true);
}

TEST_F(ContainerTest, AnItemTheServerPlacedAgainLeavesThePointerQuietly)
{
    new FakeWorldView();
    CDynamicObj* gem = CObjectManager::HandleMove(worldItem(0x40000060, kGem, 100, 101));
    ASSERT_NE(lift(gem, 300, 300), nullptr);
    CObjectManager::HandleMove(worldItem(0x40000060, kGem, 100, 101)); // the server put it back
    drive.leftDown(300, 300);
    drive.leftUp(300, 300);
    h.drawFrame();
    EXPECT_TRUE(drops().empty());
    EXPECT_TRUE(sounds.played.empty());
    EXPECT_EQ(CDragGump::Current(), nullptr);

    // A refused pick-up puts the item back and ends the drag.
    ASSERT_NE(lift(CObjectManager::FindObject(0x40000060), 300, 300), nullptr);
    const uint8_t refused[] = {0x27, 0};
    HandlePickUpRejected(refused, sizeof refused);
    drive.pass(1);
    h.drawFrame();
    EXPECT_EQ(CDragGump::Current(), nullptr);
    EXPECT_NE(CObjectManager::FindObject(0x40000060), nullptr);
}

TEST_F(ContainerTest, TheStackGumpTakesDigitsWithinTheStack)
{
    CDynamicObj* coins = putIn(0x40000030, kCoins, 100, 100, 120);
    CContainerGump* g = open();
    const auto [sx, sy] = at(g, 105, 105);
    drive.move(sx, sy);
    drive.leftDown(sx, sy);
    for (int i = 1; i <= 5; ++i) {
        drive.move(sx + i, sy);
        drive.pass(1);
    }
    drive.leftUp(sx + 5, sy);
    auto* stack = dynamic_cast<CStackGump*>(CGumpManager::First());
    ASSERT_NE(stack, nullptr);
    EXPECT_TRUE(sent(0x07).empty());
    EXPECT_EQ(stack->amount, 120);

    struct Key {
        uint16_t key;
        const char* text;
        int amount;
    };
    const Key keys[] = {
        {'0', "", 1}, // the first key replaces the text, and a leading 0 is not added
        {'5', "5", 5},
        {'0', "50", 50},
        {'0', "50", 50}, // 500 is more than the stack holds
        {8, "5", 5},
        {'0', "50", 50},
    };
    for (const Key& k : keys) {
        drive.typeChar(k.key);
        EXPECT_EQ(stack->amountText, k.text) << "after key " << k.key;
        EXPECT_EQ(stack->amount, k.amount) << "after key " << k.key;
    }
    stack->OnThumbMove(0, 0, nullptr); // an empty track range
    EXPECT_EQ(stack->amount, 120);
    stack->OnThumbMove(0, 136, nullptr);
    EXPECT_EQ(stack->amount, 1) << "never less than 1";
    stack->OnThumbMove(68, 136, nullptr);
    EXPECT_EQ(stack->amount, 60);
    EXPECT_EQ(stack->amountText, "60");

    drive.typeChar(13);
    ASSERT_EQ(sent(0x07).size(), 1u);
    EXPECT_EQ(be32(sent(0x07)[0], 1), 0x40000030u);
    EXPECT_EQ(be16(sent(0x07)[0], 5), 60);
    EXPECT_NE(CDragGump::Current(), nullptr);
    (void)coins;
}

TEST_F(ContainerTest, TheStackGumpClosesWhenItsItemGoes)
{
    putIn(0x40000030, kCoins, 100, 100, 120);
    CGump* stack = CGumpManager::OpenGump(CObjectManager::FindObject(0x40000030), 49, nullptr, 0, 0);
    ASSERT_NE(stack, nullptr);
    CObjectManager::DeleteObject(0x40000030);
    drive.pass(1);
    h.drawFrame();
    EXPECT_FALSE(IsLiveGump(stack));
    EXPECT_TRUE(sent(0x07).empty());
}

TEST_F(ContainerTest, ClosingForgetsContentsExceptACorpsesAndTheBankBoxItself)
{
    putIn(0x40000021, kGem, 60, 80);
    CContainerGump* g = open();
    const auto [sx, sy] = at(g, 10, 10);
    drive.rightClick(sx, sy);
    h.drawFrame();
    EXPECT_EQ(pack->openGump, nullptr);
    EXPECT_EQ(pack->contents.head, nullptr);
    EXPECT_EQ(CObjectManager::FindObject(0x40000021), nullptr);
    EXPECT_EQ(sounds.played, (std::vector<int32_t>{72, 88}));

    // The bank box, worn on layer 29: closing its gump forgets the box and empties the slot.
    CDynamicObj* bank = CObjectManager::FindOrMakeObject(0x40000070, kBackpack, 0);
    bank->EquipOn(player, 29);
    putIn(0x40000071, kGem, 60, 80, 1, 0, 0x40000070);
    CContainerGump* bankGump = open(static_cast<CContainerObj*>(bank));
    ASSERT_NE(bankGump, nullptr);
    CGumpManager::DestroyGump(bankGump);
    h.drawFrame();
    EXPECT_EQ(CObjectManager::FindObject(0x40000070), nullptr);
    EXPECT_EQ(CObjectManager::FindObject(0x40000071), nullptr);
    EXPECT_EQ(player->layers[29], nullptr);

    // A corpse keeps what it holds.
    CDynamicObj* corpse = CObjectManager::HandleMove(worldItem(0x40000080, 0x2006, 101, 100));
    putIn(0x40000081, kGem, 60, 80, 1, 0, 0x40000080);
    CGumpManager::DestroyGump(open(static_cast<CContainerObj*>(corpse)));
    h.drawFrame();
    EXPECT_NE(CObjectManager::FindObject(0x40000081), nullptr);

    // The container going first closes its gump, which then leaves it alone.
    open();
    CObjectManager::DeleteObject(kPack);
    h.drawFrame();
    EXPECT_EQ(CGumpManager::First(), nullptr);
}

TEST_F(ContainerTest, AWindowHeldByItsBackgroundFollowsThePointerPastTheDoubleClickTime)
{
    CContainerGump* g = open();
    const int x0 = g->x, y0 = g->y;
    const auto [sx, sy] = at(g, 10, 10);
    drive.move(sx, sy);
    drive.leftDown(sx, sy);
    drive.pass(700);
    for (int i = 1; i <= 10; ++i) {
        drive.move(sx + 3 * i, sy + 2 * i);
        drive.pass(1);
    }
    drive.leftUp(sx + 30, sy + 20);
    EXPECT_EQ(g->x - x0, 30);
    EXPECT_EQ(g->y - y0, 20);
    EXPECT_TRUE(sent(0x07).empty());
}

TEST_F(ContainerTest, AStepClosesTheBankBoxAndContainersOutOfReach)
{
    CContainerGump* packGump = open();
    CDynamicObj* bank = CObjectManager::FindOrMakeObject(0x40000070, kBackpack, 0);
    bank->EquipOn(player, 29);
    CContainerGump* bankGump = open(static_cast<CContainerObj*>(bank));
    ASSERT_NE(bankGump, nullptr);
    worldGumps().CloseContainersOutOfReach();
    h.drawFrame();
    EXPECT_FALSE(IsLiveGump(bankGump)) << "every step closes the bank box";
    EXPECT_EQ(player->layers[29], nullptr) << "and forgets it";
    EXPECT_TRUE(IsLiveGump(packGump)) << "the backpack beside the player stays open";
    player->MoveTo(105, 100, 0);
    worldGumps().CloseContainersOutOfReach();
    h.drawFrame();
    EXPECT_FALSE(IsLiveGump(packGump)) << "four cells away it is out of reach";
}

TEST_F(ContainerTest, ALabelOverAnItemInsideReadsYouSeeAndGoesWithTheWindow)
{
    testsupport::ScopedUnicodeFonts fonts(7, 12, 5);
    TextManager::startup();
    InstallSpeechDisplay(true);
    GumpWorldHooks& world = CGumpManager::WorldHooks();
    world.isContainer = [](CObj* o) { return o != nullptr && o->IsContainer() != 0; };
    world.parentOf = [](CObj* o) { return o != nullptr ? o->parent : nullptr; };
    CDynamicObj* corpse = CObjectManager::HandleMove(worldItem(0x40000080, 0x2006, 101, 100));
    putIn(0x40000081, kGem, 60, 80, 1, 0, 0x40000080);
    CContainerGump* g = open(static_cast<CContainerObj*>(corpse));
    const auto [sx, sy] = at(g, 65, 85);
    drive.click(sx, sy);
    DisplayUnicodeSpeech(0x40000081, kGem, 6, 0x3B2, 3, "ENU", "gem", u"a gem");
    CDynamicObj* gem = CObjectManager::FindObject(0x40000081);
    CBarkGump* label = gem->overheadMessages;
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(TextManager::Newest()->wideText, u"You see: a gem");
    EXPECT_EQ(label->Extra(), g);
    // It stands where the window was pressed.
    EXPECT_LE(label->x, sx);
    EXPECT_GE(label->x + label->width, sx);
    EXPECT_EQ(label->y + label->height, sy);
    CGumpManager::DestroyGump(g);
    h.drawFrame();
    EXPECT_FALSE(IsLiveGump(label)) << "the corpse keeps its contents, not their labels";
    EXPECT_NE(CObjectManager::FindObject(0x40000081), nullptr);
    world = GumpWorldHooks{};
    InstallSpeechDisplay(false);
    TextManager::shutdown();
}

} // namespace
