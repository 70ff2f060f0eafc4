/** @file The client and the loopback test server exchange a login-phase and a game-phase session over real sockets. */
#include "client/net/packet_builders.h"
#include "client/net/packet_table.h"
#include "tests/net/net_test_fixture.h"
#include "tests/support/loopback_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

using testsupport::Bytes;
using testsupport::LoopbackServer;
using testsupport::MakePacket;

std::vector<Bytes> g_dispatched;

void record(const uint8_t* packet, size_t length)
{
    g_dispatched.emplace_back(packet, packet + length);
}

class Loopback : public nettest::NetTest {
protected:
    Loopback()
    {
        ResetNetFacilities(); // real sockets
        netFacilities().resolver = &resolver;
        g_dispatched.clear();
        for (uint8_t id : {PKT_ServerList, PKT_CharacterList, PKT_LoginComplete, PKT_GlobalLight, PKT_Speech})
            SetPacketHandler(id, record);
    }

    /** Polls the client and moves the server's bytes until `done` holds (a bounded number of rounds). */
    bool exchange(LoopbackServer& server, const std::function<bool()>& done, size_t chunk = SIZE_MAX)
    {
        for (int round = 0; round < 2000; ++round) {
            PollServerSessions();
            server.pump();
            server.runScript();
            server.flush(chunk);
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return false;
    }
};

TEST_F(Loopback, ALoginPhaseThenAGamePhaseSession)
{
    // Login: the seed, the account login through the login keystream, a plain answer.
    LoopbackServer login;
    LoginServers.count = 1;
    LoginServers.current = 0;
    LoginServers.entries[0].address = 0x7F000001;
    LoginServers.entries[0].port = login.port();
    ASSERT_EQ(ConnectToLoginServer(), 1);
    ASSERT_TRUE(login.accept());
    ASSERT_TRUE(login.readSeed());
    EXPECT_EQ(login.seed(), kLocalAddress);
    const Bytes shardList = MakePacket(PKT_ServerList, {0x5D, 0, 1, 0, 0, 'T', 'e', 's', 't'});
    login.script({{PKT_AccountLogin, [&](const Bytes& packet) {
                       EXPECT_EQ(std::string(reinterpret_cast<const char*>(packet.data() + 1)), "acct");
                       EXPECT_EQ(std::string(reinterpret_cast<const char*>(packet.data() + 31)), "pw");
                       return std::vector<Bytes>{shardList};
                   }}});
    SendAccountLogin("acct", "pw", 0);
    ASSERT_TRUE(exchange(login, [] { return !g_dispatched.empty(); }));
    EXPECT_EQ(g_dispatched[0], shardList);
    EXPECT_TRUE(login.scriptDone());

    // Game: a new connection seeded with the relay key; Twofish out, Huffman and the key XOR in.
    LoopbackServer game;
    RelayKey = 0xCAFEBABE;
    CClientSock* connection = CreateConnection();
    ASSERT_EQ(connection->Connect(0x7F000001, game.port()), 1);
    connection->EnterGamePhase();
    AddServerSession(connection, "Test");
    SetActiveConnection(connection);
    ASSERT_TRUE(game.accept());
    ASSERT_TRUE(game.readSeed());
    EXPECT_EQ(game.seed(), 0xCAFEBABEu);
    game.setPhase(LoopbackServer::Phase::Game);

    std::vector<Bytes> world = {MakePacket(PKT_CharacterList, Bytes(300, 0x41)), MakePacket(PKT_GlobalLight, {9})};
    for (int i = 0; i < 40; ++i)
        world.push_back(MakePacket(PKT_Speech, Bytes(static_cast<size_t>(10 + i), static_cast<uint8_t>(i))));
    world.push_back({PKT_LoginComplete}); // one byte, and the last: dispatched without a packet behind it
    game.script({{PKT_GameLogin, [&](const Bytes& packet) {
                      EXPECT_EQ(packet.size(), 65u);
                      EXPECT_EQ(Bytes(packet.begin() + 1, packet.begin() + 5), (Bytes{0xCA, 0xFE, 0xBA, 0xBE}));
                      return world;
                  }}});
    uint8_t packet[kMaxPacketSize];
    BuildGameLoginPacket(packet, 0xCAFEBABE, "acct", "pw");
    connection->SendPacket(packet);
    g_dispatched.clear();
    // One byte at a time: codes and headers are cut everywhere.
    ASSERT_TRUE(exchange(game, [&] { return g_dispatched.size() == world.size(); }, 1));
    EXPECT_EQ(g_dispatched, world);

    // The client's game-phase sends read back through the Twofish twin, past the first 256 bytes.
    for (int i = 0; i < 100; ++i) {
        BuildUseObjectPacket(packet, 0x40000000u + static_cast<uint32_t>(i));
        connection->SendPacket(packet);
    }
    ASSERT_TRUE(exchange(game, [&] { return game.received().size() == 100; }));
    EXPECT_EQ(game.received().back(), (Bytes{PKT_UseObject, 0x40, 0, 0, 99}));

    // An abrupt close is one loss: the record goes, the first remaining one becomes active.
    game.closeAbruptly();
    ASSERT_TRUE(exchange(game, [&] { return FindServerSession(connection) == nullptr; }));
    EXPECT_EQ(ActiveConnection(), ServerSessions().front()->connection);
    EXPECT_EQ(ServerSessions().size(), 1u);
}

TEST_F(Loopback, ARefusedConnectTriesEveryServerAndFails)
{
    LoginServers.count = 2;
    LoginServers.current = 0;
    for (int i = 0; i < 2; ++i) {
        LoginServers.entries[i].address = 0x7F000001;
        LoginServers.entries[i].port = LoopbackServer::refusedPort();
    }
    EXPECT_EQ(ConnectToLoginServer(), 0);
    EXPECT_EQ(ActiveConnection(), nullptr);
    EXPECT_TRUE(ServerSessions().empty());
}

TEST_F(Loopback, ShortAndUnknownPacketsFromTheServer)
{
    LoopbackServer login;
    CClientSock* connection = connectActive(0x7F000001, login.port());
    ASSERT_TRUE(login.accept());
    ASSERT_TRUE(login.readSeed());
    login.sendRaw({0x03, 0x00, 0x04, 0x00});   // an id without a handler: one box, consumed
    login.sendRaw({PKT_Speech, 0x00, 0x01});   // a length below its own header: the stream ends
    login.sendRaw({PKT_LoginComplete});
    ASSERT_TRUE(exchange(login, [&] { return !connection->HasSocket(); }));
    EXPECT_EQ(sandbox.boxes().count(), 1u);
    EXPECT_TRUE(g_dispatched.empty());
    EXPECT_FALSE(login.pump()); // the client closed its end
}

} // namespace
