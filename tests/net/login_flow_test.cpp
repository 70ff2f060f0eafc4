/** @file End to end over loopback: the client's network code logs in to the scripted shard, enters the world, walks and speaks. */
#include "client/net/packet_builders.h"
#include "client/net/packet_table.h"
#include "tests/net/login_fixture.h"

#include <algorithm>

namespace {

using testsupport::ScriptedShard;
using testsupport::ShardSettings;

class LoginFlow : public nettest::LoginWorld, public ::testing::WithParamInterface<bool> {};

TEST_P(LoginFlow, AccountToWorldWalkAndSpeech)
{
    const bool reuse = GetParam();
    ShardSettings settings;
    settings.relayToLoginServer = reuse;
    settings.objects = testsupport::DefaultShardObjects(settings);
    settings.blocked = {{30, 22}};
    ScriptedShard shard(settings);
    pointAtLoginServer(shard.loginPort());

    // Account login and the shard list.
    ASSERT_EQ(ConnectToLoginServer(), 1);
    SendAccountLogin(AcctID, AcctPassword, 0);
    ASSERT_TRUE(exchange(shard, [&] { return screens.shardsShown == 1; })) << shard.nextStep();
    const LoginLists& lists = TheLoginLists();
    ASSERT_EQ(lists.shards.size(), 2u);
    EXPECT_EQ(lists.shards[0].name, "Brindle");
    EXPECT_EQ(lists.shards[1].name, "Farwater");
    EXPECT_EQ(lists.shardOrder, (std::vector<size_t>{0, 1}));

    // The relay and the game login: the character list.
    SendSelectServer(lists.shards[lists.shardOrder[0]].index);
    ASSERT_TRUE(exchange(shard, [&] { return screens.charactersShown == 1; })) << shard.nextStep();
    EXPECT_EQ(Relayed, 1);
    EXPECT_EQ(shard.loginConnections(), 1);
    EXPECT_EQ(shard.gameConnections(), reuse ? 0 : 1) << "a new connection only for another address or port";
    EXPECT_EQ(lists.characters[0].name, "Tessa");
    ASSERT_EQ(lists.cities.size(), 2u);
    EXPECT_EQ(lists.cities[1].text, "Farwater: The Docks");
    EXPECT_EQ(lists.cities[1].index, 1);

    // Play: the login confirm, the enter-world requests, the world.
    SendPlayCharacter(lists.characters[0].name.c_str(), "", 0);
    ASSERT_TRUE(exchange(shard, [&] {
        return shard.scriptDone() && CObjectManager::FindObject(0x00000202) != nullptr &&
               CObjectManager::FindObject(0x40000002) != nullptr;
    })) << shard.nextStep();
    EXPECT_TRUE(WorldEntered);
    EXPECT_EQ(screens.waiting.back(), "Entering Thalmere...");
    EXPECT_TRUE(texts.has("Login confirm on Brindle"));
    EXPECT_TRUE(texts.has("Welcome to Tavorn Vevovo!"));
    ASSERT_NE(World().player, nullptr);
    EXPECT_EQ(World().player->serial, 0x101u);
    EXPECT_EQ(World().player->locX, 30);
    EXPECT_EQ(World().player->locY, 24);
    CDynamicObj* backpack = CObjectManager::FindObject(0x40000001);
    ASSERT_NE(backpack, nullptr);
    EXPECT_EQ(CObjectManager::FindObject(0x40000002)->parent, backpack) << "the coins went into the backpack";
    EXPECT_EQ(CObjectManager::FindObject(0x40000003)->hue, 0x21);
    auto* mobile = static_cast<CMobile*>(CObjectManager::FindObject(0x00000202));
    ASSERT_NE(mobile->layers[5], nullptr);
    EXPECT_EQ(mobile->layers[5]->GetSerial(), 0x40000004u);

    // A step north is acknowledged; the next one, into a cell the shard refuses, is rejected.
    ASSERT_TRUE(RequestWalk(1, 0, true));
    ASSERT_TRUE(exchange(shard, [&] { return shard.stepsAccepted() == 1 && Walk::State().unacknowledged == 0; }));
    ASSERT_TRUE(RequestWalk(1, 0, true));
    ASSERT_TRUE(exchange(shard, [&] { return shard.stepsRejected() == 1 && Walk::State().count == 0; }));
    EXPECT_EQ(World().player->locY, 23) << "put back where the shard holds the player";
    EXPECT_EQ(shard.playerY(), 23);

    // Speech both ways: the player's own comes back over the player; a mobile speaks; the system speaks.
    SendUnicodeSpeechText(u"Hail", 0);
    ASSERT_TRUE(exchange(shard, [&] { return !texts.spoken.empty(); }));
    EXPECT_EQ(texts.spoken[0].serial, 0x101u);
    EXPECT_EQ(texts.spoken[0].text, u"Hail");
    shard.send(ScriptedShard::Role::Game,
               {ScriptedShard::UnicodeSpeechPacket(0x202, 400, 0, 0x3B2, 3, "enu", "Guard", u"Well met"),
                ScriptedShard::UnicodeSpeechPacket(0xFFFFFFFF, 0, 0, 0x3B2, 3, "enu", "System", u"Server up")});
    ASSERT_TRUE(exchange(shard, [&] { return texts.spoken.size() == 2 && texts.systemSpeech.size() == 1; }));
    EXPECT_EQ(texts.spoken[1].serial, 0x202u);
    EXPECT_EQ(texts.systemSpeech[0], u"Server up");

    // The keep-alive is answered.
    uint8_t ping[8];
    BuildPingPacket(ping, 7);
    ActiveConnection()->SendPacket(ping);
    ASSERT_TRUE(exchange(shard, [&] {
        return std::any_of(shard.received().begin(), shard.received().end(),
                           [](const auto& r) { return r.second[0] == PKT_Ping; });
    }));

    EXPECT_EQ(shard.failures(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Relay, LoginFlow, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "SameAddressAndPort" : "NewConnection"; });

class LoginRefused : public nettest::LoginWorld {};

TEST_F(LoginRefused, EachReasonShowsItsTextAndThePlayerMayTryAgain)
{
    for (const int reason : {0, 1, 2, 3, 254, 9}) {
        SCOPED_TRACE(reason);
        screens.messages.clear();
        screens.holds.clear();
        ShardSettings settings;
        settings.refuseLogin = reason;
        ScriptedShard shard(settings);
        pointAtLoginServer(shard.loginPort());
        ASSERT_EQ(ConnectToLoginServer(), 1);
        SendAccountLogin(AcctID, AcctPassword, 0);
        ASSERT_TRUE(exchange(shard, [&] { return !screens.holds.empty() && ActiveConnection() == nullptr; }));
        const char* text = LoginRejectedText(static_cast<uint8_t>(reason));
        if (text == nullptr) {
            EXPECT_TRUE(screens.messages.empty());
        } else {
            ASSERT_EQ(screens.messages.size(), 1u);
            EXPECT_EQ(screens.messages[0].text, text);
            EXPECT_EQ(screens.messages[0].closing, reason == 0 || reason == 9);
        }
        EXPECT_EQ(screens.holds.back(), (std::pair<LoginGump, bool>{LoginGump::AccountLogin, true}));
        ASSERT_TRUE(exchange(shard, [&] { return !shard.loginConnected(); })) << "the refused connection closed";
        EXPECT_EQ(ServerSessions().size(), 0u);
        EXPECT_EQ(shard.failures(), std::vector<std::string>{});
    }
    EXPECT_EQ(std::string(LoginRejectedText(2)).find("Your account has been blocked. Please visit "), 0u);

    // A wrong password, then the right one on a new connection.
    ScriptedShard shard;
    pointAtLoginServer(shard.loginPort());
    std::strcpy(AcctPassword, "wrong");
    ASSERT_EQ(ConnectToLoginServer(), 1);
    SendAccountLogin(AcctID, AcctPassword, 0);
    ASSERT_TRUE(exchange(shard, [&] { return ActiveConnection() == nullptr && !shard.loginConnected(); }));
    std::strcpy(AcctPassword, "secret");
    ASSERT_EQ(ConnectToLoginServer(), 1);
    SendAccountLogin(AcctID, AcctPassword, 0);
    ASSERT_TRUE(exchange(shard, [&] { return screens.shardsShown == 1; }));
    EXPECT_EQ(shard.loginConnections(), 2);
    EXPECT_EQ(shard.failures(), std::vector<std::string>{});
}

} // namespace
