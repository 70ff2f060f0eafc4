/** @file End to end over loopback: after entering the world the scripted shard sends status, target, prompt, party, sound, effect, book, server gump, trade, shop and skill packets; the test checks the world state and what the client answers. */
#include "client/net/packet_builders.h"
#include "tests/net/game_handler_fixture.h"
#include "tests/net/login_fixture.h"

#include <algorithm>

namespace {

using gametest::Bytes;
using gametest::Pkt;
using testsupport::ScriptedShard;
using testsupport::ShardSettings;

constexpr uint32_t kPlayer = 0x101, kOther = 0x202, kBackpack = 0x40000001, kCoins = 0x40000002;

class GamePacketsEndToEnd : public nettest::LoginWorld, protected gametest::RecordingGameServices {
protected:
    GamePacketsEndToEnd()
    {
        ResetGameState();
        InstallGameHandlers();
    }
    ~GamePacketsEndToEnd() override
    {
        ResetGameState();
        g_bTargetMode = false;
    }

    /** Account login, shard, character: the default script to its end, the player in the world. */
    void enterWorld(ScriptedShard& shard)
    {
        ASSERT_TRUE(LoginWorld::enterWorld(
            shard, [] { return World().player != nullptr && CObjectManager::FindObject(kOther) != nullptr; }));
        windows.calls.clear();
        inWorldMark = shard.received().size();
    }

    /** The shard sends the packets on the game connection; true once `done` holds. */
    static bool serve(ScriptedShard& shard, const std::vector<Bytes>& packets, const std::function<bool()>& done)
    {
        shard.send(ScriptedShard::Role::Game, packets);
        return exchange(shard, done);
    }

    /** The client packets of an id the shard has read on the game connection since entering the world. */
    std::vector<Bytes> fromClient(const ScriptedShard& shard, uint8_t id) const
    {
        std::vector<Bytes> out;
        for (size_t i = inWorldMark; i < shard.received().size(); ++i) {
            const auto& [role, packet] = shard.received()[i];
            if (role == ScriptedShard::Role::Game && packet[0] == id)
                out.push_back(packet);
        }
        return out;
    }
    static uint32_t be32(const Bytes& b, size_t at)
    {
        return static_cast<uint32_t>(b[at] << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3]);
    }
    bool called(const std::string& line) const
    {
        return std::find(windows.calls.begin(), windows.calls.end(), line) != windows.calls.end();
    }

    size_t inWorldMark = 0;
};

TEST_F(GamePacketsEndToEnd, StatusTargetPromptAndParty)
{
    ShardSettings settings;
    settings.objects = testsupport::DefaultShardObjects(settings);
    ScriptedShard shard(settings);
    enterWorld(shard);
    if (HasFatalFailure())
        return;

    // The player's full status: the block, the statistics, the status window.
    Pkt status(0x11);
    status.u32(kPlayer).field("Tessa", 30).u16(40).u16(50).u8(0).u8(1).u8(0).u16(60).u16(45).u16(30).u16(20).u16(25)
        .u16(10).u16(15).u32(1234).u16(9).u16(100);
    ASSERT_TRUE(serve(shard, {status}, [&] { return Game().status.serial == kPlayer; }));
    EXPECT_STREQ(Game().status.name, "Tessa");
    EXPECT_EQ(Game().status.maxHits, 50);
    EXPECT_EQ(Game().status.gold, 1234u);
    EXPECT_EQ(World().player->strength, 60);
    EXPECT_TRUE(called("status 101 'Tessa' 40/50 str 60 gold 1234")) << windows.calls.size();

    // A target request, answered with the other mobile: its serial, place and body go back.
    ASSERT_TRUE(serve(shard, {Pkt(0x6C).u8(0).u32(0xAABBCCDD).u8(3).zeros(12)}, [] { return g_bTargetMode; }));
    auto* other = static_cast<CMobile*>(CObjectManager::FindObject(kOther));
    SendTargetResponse(other);
    ASSERT_TRUE(exchange(shard, [&] { return !fromClient(shard, 0x6C).empty(); }));
    EXPECT_EQ(gametest::hex(fromClient(shard, 0x6C)[0]), "6C00AABBCCDD0300000202" "0020" "0019" "0000" "0190");
    EXPECT_FALSE(g_bTargetMode);
    EXPECT_EQ(Game().target.lastSerial, kOther);

    // A prompt, and the client's answer carrying its serial and id.
    ASSERT_TRUE(serve(shard, {Pkt(0x9A).u32(kOther).u32(0x60).u32(0).text0("Name?")}, [] { return Game().prompt.active; }));
    EXPECT_EQ(Game().prompt.promptId, 0x60u);
    uint8_t buffer[kMaxPacketSize];
    BuildPromptReplyPacket(buffer, Game().prompt.serial, Game().prompt.promptId, 1, "Rex");
    ActiveConnection()->SendPacket(buffer);
    ASSERT_TRUE(exchange(shard, [&] { return !fromClient(shard, 0x9A).empty(); }));
    const Bytes reply = fromClient(shard, 0x9A)[0];
    EXPECT_EQ(be32(reply, 3), kOther);
    EXPECT_EQ(be32(reply, 7), 0x60u);
    EXPECT_EQ(be32(reply, 11), 1u);
    EXPECT_EQ(std::string(reply.begin() + 15, reply.end()).substr(0, 3), "Rex");

    // The party: the member list makes the player its leader and asks for each member's status;
    // an invitation is accepted (the acceptance, then the loot permission).
    ASSERT_TRUE(serve(shard, {Pkt(0xBF).u16(6).u8(1).u8(2).u32(kPlayer).u32(kOther)},
                      [] { return Game().party.members[1].serial == kOther; }));
    EXPECT_TRUE(Game().party.leader);
    ASSERT_TRUE(exchange(shard, [&] { return fromClient(shard, 0x34).size() >= 2; }));
    EXPECT_EQ(be32(fromClient(shard, 0x34)[0], 6), kPlayer);
    EXPECT_EQ(be32(fromClient(shard, 0x34)[1], 6), kOther);
    ASSERT_TRUE(serve(shard, {Pkt(0xBF).u16(6).u8(7).u32(kOther)}, [] { return Game().party.invitationPending; }));
    SendPartyAcceptInvite(Game().party.inviter);
    ASSERT_TRUE(exchange(shard, [&] { return fromClient(shard, 0xBF).size() >= 2; }));
    EXPECT_EQ(gametest::hex(fromClient(shard, 0xBF)[0]), "BF000A000608" "00000202");
    EXPECT_EQ(fromClient(shard, 0xBF)[1][4], 6);
    EXPECT_EQ(fromClient(shard, 0xBF)[1][5], 6) << "the loot permission";

    EXPECT_EQ(shard.failures(), std::vector<std::string>{});
}

TEST_F(GamePacketsEndToEnd, EffectsWindowsTradeShopAndSkills)
{
    ShardSettings settings;
    settings.objects = testsupport::DefaultShardObjects(settings);
    ScriptedShard shard(settings);
    enterWorld(shard);
    if (HasFatalFailure())
        return;

    // A sound at the player's feet and an effect from the other mobile to the player.
    const Bytes effect = Pkt(0x70).u8(0).u32(kOther).u32(kPlayer).u16(0x36D4).u16(32).u16(25).u8(0).u16(30).u16(24)
                             .u8(0).u8(7).zeros(5);
    ASSERT_TRUE(serve(shard, {Pkt(0x54).u8(1).u16(55).u16(0).u16(30).u16(24).u16(0), effect},
                      [&] { return !sound.played.empty() && !effects.effects.empty(); }));
    EXPECT_EQ(sound.played, std::vector<std::string>{"55@30,24,0"});
    EXPECT_EQ(effects.effects[0], "basic type 0 src 202 dst 101 graphic 14036 at 32,25,0 to 30,24,0 speed 7 hue 0 mode 0");

    // A book header on the backpack and a server gump, handed whole to the gump manager.
    const Bytes book = Pkt(0x93).u32(kBackpack).u8(1).u8(0).u16(4).field("Notes", 60).field("Tessa", 30);
    const Bytes serverGump = Pkt(0xB0).u32(kOther).u32(9).u32(10).u32(20).u16(8).raw("{page 0}").u16(1).u16(2)
                                 .u16('h').u16('i');
    ASSERT_TRUE(serve(shard, {book, serverGump}, [&] { return !messageGumps.serverGumps.empty(); }));
    EXPECT_EQ(windows.calls, std::vector<std::string>{"book 40000001 'Notes' 'Tessa' pages 4 writable 1 flag 0"});
    EXPECT_EQ(messageGumps.serverGumps, std::vector<Bytes>{serverGump});

    // A trade opened by the other mobile, then cancelled by the player.
    ASSERT_TRUE(serve(shard, {Pkt(0x6F).u8(0).u32(kOther).u32(0x40000010).u32(0x40000011).u8(1).text0("Rook")},
                      [&] { return called("trade 202 40000010 40000011 'Rook'"); }));
    uint8_t buffer[kMaxPacketSize];
    BuildSecureTradePacket(buffer, 1, 0x40000010, 0, 0);
    ActiveConnection()->SendPacket(buffer);
    ASSERT_TRUE(exchange(shard, [&] { return !fromClient(shard, 0x6F).empty(); }));
    EXPECT_EQ(fromClient(shard, 0x6F)[0][3], 1);
    EXPECT_EQ(be32(fromClient(shard, 0x6F)[0], 4), 0x40000010u);

    // A buy list prices the backpack's coins; a skill update sets one row.
    ASSERT_TRUE(serve(shard, {Pkt(0x74).u32(kBackpack).u8(1).u32(12).u8(6).raw("Coins\x01"),
                              Pkt(0x3A).u8(0xFF).u16(4).u16(500).u16(450).u8(1)},
                      [] { return Game().skills.values[4].value == 500; }));
    auto* coins = dynamic_cast<CDynamicObj*>(CObjectManager::FindObject(kCoins));
    ASSERT_NE(coins, nullptr);
    EXPECT_EQ(coins->price, 12u);
    EXPECT_EQ(coins->priceText, "Coins");
    EXPECT_EQ(Game().skills.values[4].base, 450);
    EXPECT_EQ(Game().skills.values[4].lock, 1);

    EXPECT_EQ(shard.failures(), std::vector<std::string>{});
}

} // namespace
