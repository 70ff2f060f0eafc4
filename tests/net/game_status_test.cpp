/** @file Mobile status and combat packets: status blocks, bars, deaths, worn items, war mode, combatant, animations and following. */
#include "tests/net/game_handler_fixture.h"

#include "client/data/def_tables.h"

namespace {

using namespace gametest;

constexpr uint32_t kOther = 0x10;
constexpr uint32_t kAbsent = 0x77;

class StatusPackets : public GameHandlerTest {
protected:
    StatusPackets() { other = addMobile(kOther); }

    static Bytes status(uint32_t serial, const std::string& name, uint8_t kind, bool rename = false)
    {
        Pkt p(0x11);
        p.u32(serial).field(name, 30).u16(40).u16(50).u8(rename ? 1 : 0).u8(kind);
        if (kind != 0)
            p.u8(7).u16(60).u16(45).u16(30).u16(20).u16(25).u16(10).u16(15).u32(0x12345).u16(9).u16(100);
        return p;
    }

    CMobile* other = nullptr;
};

TEST_F(StatusPackets, StatusBlockFillsWindowsAndThePlayersStatistics)
{
    StatReport = 1;
    player->strength = 50;
    player->dexterity = 45;
    player->intelligence = 35;
    dispatch(status(kPlayerSerial, "Hero", 1, true));
    const StatusBlock& b = Game().status;
    EXPECT_STREQ(b.name, "Hero");
    EXPECT_EQ(b.extra, 7);
    EXPECT_EQ(b.mana, 10);
    EXPECT_EQ(b.maxMana, 15);
    EXPECT_EQ(b.weight, 100);
    EXPECT_EQ(player->strength, 60);
    EXPECT_EQ(player->intelligence, 30);
    // Strength, then intelligence (dexterity did not change); markers, bars, then the shop's gold.
    EXPECT_EQ(windows.calls, (std::vector<std::string>{
                                 "message Your strength has changed by 10.  It is now 60. hue 368 font 3",
                                 "message Your intelligence has changed by -5.  It is now 30. hue 368 font 3",
                                 "markers 1 40/50",
                                 "status 1 'Hero' 40/50 str 60 gold 74565 rename",
                                 "shop gold 9029",
                             }));
}

TEST_F(StatusPackets, StatusCases)
{
    struct Case {
        const char* what;
        Bytes packet;
        int32_t strengthBefore;
        uint8_t statReport;
        std::vector<std::string> calls;
        int32_t strengthAfter;
    };
    const Case cases[] = {
        {"first status after the player is made: no message", status(kPlayerSerial, "Hero", 1), -1, 1,
         {"markers 1 40/50", "status 1 'Hero' 40/50 str 60 gold 74565", "shop gold 9029"}, 60},
        {"stat report off", status(kPlayerSerial, "Hero", 1), 50, 0,
         {"markers 1 40/50", "status 1 'Hero' 40/50 str 60 gold 74565", "shop gold 9029"}, 60},
        {"kind 0 keeps the player's statistics and zeroes the block's", status(kPlayerSerial, "Hero", 0), 50, 1,
         {"markers 1 40/50", "status 1 'Hero' 40/50 str 0 gold 0"}, 50},
        {"another mobile's gold stays off the shop", status(kOther, "Orc", 1), 50, 1,
         {"markers 10 40/50", "status 10 'Orc' 40/50 str 60 gold 74565"}, 50},
        {"an unknown serial closes every marker", status(kAbsent, "Ghost", 1), 50, 1,
         {"close markers", "status 77 'Ghost' 40/50 str 60 gold 74565"}, 50},
        {"a 30-character name is cut to 29", status(kOther, std::string(30, 'n'), 0), 50, 1,
         {"markers 10 40/50", "status 10 '" + std::string(29, 'n') + "' 40/50 str 0 gold 0"}, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        windows.calls.clear();
        player->strength = c.strengthBefore;
        StatReport = c.statReport;
        dispatch(c.packet);
        EXPECT_EQ(windows.calls, c.calls);
        EXPECT_EQ(player->strength, c.strengthAfter);
    }
}

TEST_F(StatusPackets, StatusNameReachesThePartyTable)
{
    Game().party.members[3].serial = kOther;
    dispatch(status(kOther, "Ally", 0));
    EXPECT_STREQ(Game().party.members[3].name, "Ally");
}

TEST_F(StatusPackets, BarPairs)
{
    struct Case {
        Bytes packet;
        std::vector<std::string> calls;
        std::array<int32_t, 6> playerPairs;
    };
    const Case cases[] = {
        {Pkt(0x2D).u32(kPlayerSerial).u16(100).u16(90).u16(80).u16(70).u16(60).u16(50),
         {"markers 1 90/100", "bar 1 kind 0 90/100 70/80 50/60"}, {90, 100, 70, 80, 50, 60}},
        {Pkt(0xA1).u32(kPlayerSerial).u16(100).u16(33), {"markers 1 33/100", "bar 1 kind 1 33/100 0/0 0/0"},
         {33, 100, 0, 0, 0, 0}},
        {Pkt(0xA2).u32(kPlayerSerial).u16(20).u16(5), {"bar 1 kind 2 0/0 5/20 0/0"}, {0, 0, 5, 20, 0, 0}},
        {Pkt(0xA3).u32(kPlayerSerial).u16(30).u16(6), {"bar 1 kind 3 0/0 0/0 6/30"}, {0, 0, 0, 0, 6, 30}},
        {Pkt(0xA1).u32(kOther).u16(10).u16(9), {"markers 10 9/10", "bar 10 kind 1 9/10 0/0 0/0"}, {}},
        {Pkt(0xA1).u32(kAbsent).u16(10).u16(9), {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(hex(c.packet));
        windows.calls.clear();
        player->statusPairs = {};
        dispatch(c.packet);
        EXPECT_EQ(windows.calls, c.calls);
        EXPECT_EQ(player->statusPairs, c.playerPairs);
    }
}

TEST_F(StatusPackets, DeathAndItsMessageClose)
{
    player->warMode = 1;
    WarModeRequested = -1;
    WorldPlayerHooks().inWarMode = [this] { return player->warMode != 0; };
    dispatch(Pkt(0x2C).u8(0));
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"close closable", "close drag", "close modal", "delete texts"}));
    EXPECT_TRUE(Game().dead);
    EXPECT_EQ(effects.deathFades, 1);
    EXPECT_EQ(music.songs, std::vector<std::string>{"42/1/1"});
    ASSERT_FALSE(connection.sent.empty());
    EXPECT_EQ(connection.sent.back()[0], 0x72); // peace asked for
    EXPECT_EQ(connection.sent.back()[1], 0);

    windows.calls.clear();
    dispatch(Pkt(0x2C).u8(1));
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"close closable", "close modal"}));
    EXPECT_TRUE(Game().dead); // the frame's death sequence ends it
    WorldPlayerHooks() = PlayerHooks{};
}

TEST_F(StatusPackets, WornItems)
{
    DefTables::Unload();
    auto worn = [](uint32_t item, uint16_t graphic, uint8_t layer, uint32_t wearer, uint16_t hue) {
        return Pkt(0x2E).u32(item).u16(graphic).u8(0).u8(layer).u32(wearer).u16(hue).done();
    };
    const uint32_t knife = 0x40000100, pack = 0x40000101;
    dispatch(worn(knife, 0xC000 | testsupport::G_KNIFE, 1, kPlayerSerial, 0x21));
    CDynamicObj* k = CObjectManager::FindObject(knife);
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->graphic, testsupport::G_KNIFE); // only the low 14 bits count
    EXPECT_EQ(player->layers[1], k);
    EXPECT_EQ(k->hue, 0x21);

    dispatch(worn(pack, testsupport::G_BACKPACK, 21, kOther, 0));
    EXPECT_NE(dynamic_cast<CContainerObj*>(CObjectManager::FindObject(pack)), nullptr);
    EXPECT_EQ(other->layers[21], CObjectManager::FindObject(pack));

    // A known item on another wearer keeps its graphic and takes the hue; on the player it takes both.
    dispatch(worn(knife, testsupport::G_ARROW, 2, kOther, 0x30));
    EXPECT_EQ(k->graphic, testsupport::G_KNIFE);
    EXPECT_EQ(k->hue, 0x30);
    EXPECT_EQ(other->layers[2], k);
    dispatch(worn(knife, testsupport::G_ARROW, 1, kPlayerSerial, 0x31));
    EXPECT_EQ(k->graphic, testsupport::G_ARROW);
    EXPECT_EQ(player->layers[1], k);

    // Layers past the slots, absent wearers, mobiles and items worn by themselves change nothing.
    const size_t objects = World().bySerial.size();
    dispatch(worn(0x40000102, testsupport::G_KNIFE, 30, kPlayerSerial, 0));
    dispatch(worn(0x40000103, testsupport::G_KNIFE, 1, kAbsent, 0));
    dispatch(worn(kOther, testsupport::G_KNIFE, 1, kPlayerSerial, 0));
    dispatch(worn(kOther, testsupport::G_KNIFE, 1, kOther, 0));
    EXPECT_EQ(World().bySerial.size(), objects);
    EXPECT_EQ(player->layers[1], k);
}

TEST_F(StatusPackets, CombatAndFollowState)
{
    dispatch(Pkt(0x2F).u32(5).u32(kOther).u8(0));
    EXPECT_EQ(Game().faceSerial, kOther);
    dispatch(Pkt(0x30).u32(kOther));
    EXPECT_EQ(Game().attackTarget, kOther);
    dispatch(Pkt(0x30).u32(kAbsent));
    EXPECT_EQ(Game().attackTarget, 0u);
    dispatch(Pkt(0x30).u32(kOther));
    dispatch(Pkt(0x31));
    EXPECT_EQ(Game().attackTarget, 0u);

    dispatch(Pkt(0x72).u8(1).u8(0x20).u8(0x21).u8(0x22));
    EXPECT_EQ(player->warMode, 1);
    EXPECT_EQ(WarModeBytes[0], 0x20);
    EXPECT_EQ(WarModeBytes[2], 0x22);

    dispatch(Pkt(0xAA).u32(kOther));
    dispatch(Pkt(0xAA).u32(kAbsent));
    EXPECT_EQ(Game().combatant, kAbsent);
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"war 1", "combatant marker 10"}));

    dispatch(Pkt(0x15).u32(kPlayerSerial).u32(kOther));
    EXPECT_TRUE(Game().following);
    EXPECT_EQ(Game().speakerLabel, "???");
    EXPECT_EQ(player->followedSerial, kOther);
    dispatch(Pkt(0x15).u32(0).u32(0));
    EXPECT_FALSE(Game().following);
    EXPECT_EQ(Game().speakerLabel, "YOU");
    dispatch(Pkt(0x15).u32(kPlayerSerial).u32(kAbsent));
    EXPECT_FALSE(Game().following);
}

TEST_F(StatusPackets, AnimationsReachTheMobile)
{
    dispatch(Pkt(0x6E).u32(kOther).u16(12).u16(7).u16(2).u8(1).u8(1).u8(3));
    EXPECT_EQ(other->action, 12);
    EXPECT_EQ(other->playingAction, 1);
    dispatch(Pkt(0xAF).u32(kOther).u32(0x40000500).u32(0));
    EXPECT_TRUE(IsDeathLinked(0x40000500, other->serial));
}

TEST_F(StatusPackets, AnAnimationArrivingWhileASequenceRecordsBecomesANode)
{
    dispatch(Pkt(0x7B).u8(0));
    dispatch(Pkt(0x6E).u32(kOther).u16(5).u16(3).u16(1).u8(0).u8(0).u8(2));
    EXPECT_EQ(other->playingAction, 0);
    EXPECT_EQ(effects.animations, std::vector<std::string>{std::to_string(kOther) + " 5/3/2/1/0/0"});
}

TEST_F(StatusPackets, MalformedPacketsReadNothingOutside)
{
    const Bytes samples[] = {
        status(kPlayerSerial, "Hero", 1),
        Pkt(0x2D).u32(kPlayerSerial).u16(1).u16(1).u16(1).u16(1).u16(1).u16(1),
        Pkt(0xA1).u32(kPlayerSerial).u16(1).u16(1),
        Pkt(0x2C).u8(0),
        Pkt(0x2E).u32(0x40000100).u16(testsupport::G_KNIFE).u8(0).u8(1).u32(kPlayerSerial).u16(0),
        Pkt(0x2F).u32(0).u32(kOther).u8(0),
        Pkt(0x30).u32(kOther),
        Pkt(0x72).u8(1).u8(0).u8(0).u8(0),
        Pkt(0xAA).u32(kOther),
        Pkt(0xAF).u32(kOther).u32(0).u32(0),
        Pkt(0x6E).u32(kOther).u16(1).u16(1).u16(1).u8(0).u8(0).u8(0),
        Pkt(0x15).u32(1).u32(kOther),
    };
    for (const Bytes& sample : samples) {
        SCOPED_TRACE(hex(sample));
        player->strength = 5;
        windows.calls.clear();
        dispatchEveryPrefix(sample);
        EXPECT_EQ(player->strength, 5);
        EXPECT_TRUE(windows.calls.empty());
    }
    // A status whose kind promises statistics the packet does not hold is dropped whole.
    Bytes cut = status(kPlayerSerial, "Hero", 1);
    cut.resize(50);
    cut[2] = 50;
    dispatch(cut);
    EXPECT_TRUE(windows.calls.empty());
    EXPECT_STREQ(Game().status.name, "");
}

} // namespace
