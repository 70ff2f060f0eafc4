/** @file The world tests' set-up: tile data written by the builder, the object manager started on it, a player, and recording services. */
#pragma once

#include "client/world/body_kind.h"
#include "client/world/draw_item.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/world_draw_services.h"
#include "client/world/world_services.h"

#include "client/data/map_manager.h"
#include "tests/world/world_fixture.h"
#include "tools/formats/world_formats.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace testsupport {

/** Graphics of the test tile data. */
enum TestGraphic : uint16_t {
    G_BACKPACK = 0x0E75,  // container
    G_SPELLBOOK = 3834,   // container
    G_BOOKCASE = 11000,   // container keeping ascending x
    G_DRAWERS = 4006,     // container keeping descending y
    G_GOLD = 3821,        // stackable pile
    G_ARROW = 0x0F3F,     // stackable
    G_MAP = 0x14EB,       // map item
    G_CANDLE = 0x0A0F,    // light source
    G_FIRE = 0x0DE3,      // animated
    G_TREE = 0x0CE0,      // foliage
    G_KNIFE = 0x0EC4,     // plain item
    G_HEAVY = 0x1000,     // weight 200
    G_WALL = 0x0006,      // height 20
    G_SCROLL = 3827,
};

/** The tile data every world test starts with. */
inline formats::TileDataWriter testTileData()
{
    formats::TileDataWriter t;
    t.item(G_BACKPACK, {.flags = 0x200000 | 0x4000, .weight = 3, .name = "backpack"});
    t.item(G_SPELLBOOK, {.flags = 0x200000 | 0x4000, .weight = 3, .name = "spellbook"});
    t.item(G_BOOKCASE, {.flags = 0x200000, .weight = 255, .name = "bookcase"});
    t.item(G_DRAWERS, {.flags = 0x200000, .weight = 255, .name = "drawers"});
    t.item(G_GOLD, {.flags = 0x800, .name = "gold coin%s%"});
    t.item(G_ARROW, {.flags = 0x800 | 0x8000, .weight = 1, .name = "arrow%s/%"});
    t.item(G_MAP, {.flags = 0x100000 | 0x4000, .weight = 1, .name = "map"});
    t.item(G_CANDLE, {.flags = 0x800000, .weight = 1, .light = 29, .name = "candle"});
    t.item(G_FIRE, {.flags = 0x1000000, .weight = 255, .height = 3, .name = "fire"});
    t.item(G_TREE, {.flags = 0x20000, .weight = 255, .height = 20, .name = "tree"});
    t.item(G_KNIFE, {.flags = 0x400000 | 0x4000, .weight = 1, .quality = 1, .name = "kni%ves/fe%"});
    t.item(G_HEAVY, {.weight = 200, .name = "anvil"});
    t.item(G_WALL, {.flags = 0x40, .weight = 255, .height = 20, .name = "wall"});
    t.land(3, {.flags = 0, .texture = 3, .name = "grass"});
    return t;
}

class RecordingGumps : public WorldGumpServices {
public:
    bool IsPartyMember(uint32_t serial) override { return party.count(serial) != 0; }
    void ForgetObject(CDynamicObj&) override { ++forgotten; }
    void DeleteGump(CGump*) override { ++gumpsDeleted; }
    void RefreshPaperdolls(CMobile&) override { ++paperdollRefreshes; }
    bool OpenStackGump(CObj&) override
    {
        ++stackGumps;
        return stackGumpOpens;
    }
    CGump* FindCourseGump(CObj&) override { return courseGump; }
    void BringToFront(CGump*) override { ++broughtToFront; }
    void CreateDragGump() override { ++dragGumps; }
    void StartScrollTarget(int32_t type) override { scrollTargets.push_back(type); }
    void ContentsChanged(CContainerObj& container, CObj*) override { contentsChanged.push_back(container.serial); }
    void ShowSystemMessage(const char* text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
    std::set<uint32_t> party;
    int forgotten = 0, gumpsDeleted = 0, paperdollRefreshes = 0, stackGumps = 0, broughtToFront = 0, dragGumps = 0;
    bool stackGumpOpens = true;
    CGump* courseGump = nullptr;
    std::vector<int32_t> scrollTargets;
    /** The containers whose open gump was told of a change, by serial. */
    std::vector<uint32_t> contentsChanged;
};

class RecordingNet : public WorldNetServices {
public:
    void SendUseObject(uint32_t serial) override { used.push_back(serial); }
    void SendPickUp(uint32_t serial, uint16_t amount) override { pickedUp.push_back({serial, amount}); }
    std::vector<uint32_t> used;
    std::vector<std::pair<uint32_t, uint16_t>> pickedUp;
};

class CountingDraw : public WorldDrawServices {
public:
    void AddToDrawList(CDrawItem& item) override
    {
        ++adds;
        WorldDrawServices::AddToDrawList(item);
    }
    void InvalidateLightArea(const CDrawItem&) override { ++lightAreas; }
    CDrawItem* PickAt(int32_t, int32_t, int) override { return picked; }
    void FollowPlayerStep(int32_t x, int32_t y, int32_t offsetX, int32_t offsetY, bool moved) override
    {
        follows.push_back({x, y, offsetX, offsetY, moved});
    }
    struct Follow {
        int32_t x, y, offsetX, offsetY;
        bool moved;
        bool operator==(const Follow&) const = default;
    };
    CDrawItem* picked = nullptr;
    std::vector<Follow> follows;
    int adds = 0;
    int lightAreas = 0;
};

inline constexpr uint32_t kPlayerSerial = 0x00000001;

/** The object manager on the test tile data, the view centred on the player at (100, 100, 0). */
class WorldTest : public ::testing::Test {
protected:
    WorldTest()
    {
        install.write("tiledata.mul", testTileData().bytes());
        MapManager::SetMap(0);
        MapManager::CenterX = 100;
        MapManager::CenterY = 100;
        DrawMapThingie::Clear();
        SetWorldDrawServices(&draw);
        SetWorldGumpServices(&gumps);
        SetWorldNetServices(&net);
        World().clock = [this] { return now; };
        World().random = [] { return 2u; };
        InitBodyKindTable();
        CObjectManager::startup();
        player = CObjectManager::CreatePlayer(kPlayerSerial, 400);
        player->PlaceAt(100, 100, 0);
    }
    ~WorldTest() override
    {
        CObjectManager::shutdown();
        World().clock = nullptr;
        World().random = nullptr;
        World().lineOfSight = nullptr;
        TileData::Clear();
        DrawMapThingie::Clear();
        SetWorldDrawServices(nullptr);
        SetWorldGumpServices(nullptr);
        SetWorldNetServices(nullptr);
    }

    static ObjectRecord item(uint32_t serial, uint16_t graphic, int32_t x = 101, int32_t y = 101, uint16_t amount = 1)
    {
        ObjectRecord r;
        r.serial = serial | kItemSerialBit;
        r.graphic = graphic;
        r.amount = amount;
        r.x = static_cast<uint16_t>(x);
        r.y = static_cast<uint16_t>(y);
        return r;
    }
    static ObjectRecord mobile(uint32_t serial, uint16_t body, int32_t x, int32_t y, uint8_t direction = 0)
    {
        ObjectRecord r;
        r.serial = serial;
        r.graphic = body;
        r.x = static_cast<uint16_t>(x);
        r.y = static_cast<uint16_t>(y);
        r.direction = direction;
        return r;
    }
    static ContainerItemRecord contained(uint32_t serial, uint16_t graphic, uint32_t container, int32_t x = 0,
                                         int32_t y = 0, uint16_t amount = 1)
    {
        ContainerItemRecord r;
        r.serial = serial | kItemSerialBit;
        r.graphic = graphic;
        r.container = container;
        r.x = static_cast<uint16_t>(x);
        r.y = static_cast<uint16_t>(y);
        r.amount = amount;
        return r;
    }

    InstallSandbox install;
    CountingDraw draw;
    RecordingGumps gumps;
    RecordingNet net;
    uint32_t now = 100000;
    CPlayerMobile* player = nullptr;
};

} // namespace testsupport
