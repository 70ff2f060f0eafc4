/** @file Tests of connecting, the seed, sending through both ciphers, the loss procedure and the shard connection list. */
#include "client/core/main_window.h"
#include "client/net/packet_buffer.h"
#include "client/net/packet_builders.h"
#include "client/net/packet_table.h"
#include "tests/net/net_test_fixture.h"
#include "tests/support/loopback_server.h"

#include <gtest/gtest.h>

namespace {

using testsupport::Bytes;

class Connection : public nettest::NetTest {};

Bytes sentAfterSeed(platform::FakeTcpSocket* socket)
{
    const Bytes& sent = socket->sent();
    return sent.size() < 4 ? Bytes{} : Bytes(sent.begin() + 4, sent.end());
}

TEST_F(Connection, TheSeedGoesFirstAndAZeroRelayKeyBecomesTheLocalAddress)
{
    CClientSock* connection = connectActive();
    platform::FakeTcpSocket* socket = fakeOf(connection);
    EXPECT_EQ(socket->sent(), (Bytes{0x0A, 0x00, 0x00, 0x07}));
    EXPECT_EQ(RelayKey, kLocalAddress);
    EXPECT_TRUE(socket->noDelay());
    EXPECT_FALSE(socket->blocking()); // blocking only for the connect and the seed
    EXPECT_EQ(connection->rateMeters[1].Totals().back(), 4);

    RelayKey = 0x01020304;
    CClientSock* relayed = CreateConnection();
    ASSERT_EQ(relayed->Connect(0x7F000001, 2593), 1);
    EXPECT_EQ(fakeOf(relayed)->sent(), (Bytes{1, 2, 3, 4}));
}

TEST_F(Connection, AnEditServerConnectionSendsNoSeedAndNothingEnciphered)
{
    EditServerAddress = 0x7F000001;
    CClientSock* connection = connectActive();
    uint8_t packet[8];
    BuildPingPacket(packet, 9);
    connection->SendPacket(packet);
    connection->SelectPoll();
    EXPECT_EQ(fakeOf(connection)->sent(), (Bytes{PKT_Ping, 9}));
    EXPECT_FALSE(connection->Seeded());
}

TEST_F(Connection, AFailedConnectKeepsNoSocketAndReportsNothing)
{
    nextConnectAnswers = {platform::NetStatus::Error};
    CClientSock* connection = CreateConnection();
    EXPECT_EQ(connection->Connect(0x7F000001, 2593), 0);
    EXPECT_FALSE(connection->HasSocket());
    EXPECT_TRUE(gumps.messages.empty());
}

TEST_F(Connection, LoginPhaseBytesAreEncipheredAsTheyAreAppended)
{
    CClientSock* connection = connectActive();
    uint8_t packet[kMaxPacketSize];
    BuildAccountLoginPacket(packet, "account", "secret", 3);
    connection->SendPacket(packet);
    BuildTextCommandPacket(packet, 1, "go", 2);
    connection->SendPacket(packet);
    connection->SelectPoll();

    Bytes sent = sentAfterSeed(fakeOf(connection));
    testsupport::LoginKeystream(kLocalAddress).apply(sent.data(), sent.size());
    ASSERT_EQ(sent.size(), 62u + 7u);
    EXPECT_EQ(sent[0], PKT_AccountLogin);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sent.data() + 1)), "account");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sent.data() + 31)), "secret");
    EXPECT_EQ(sent[61], 3);
    EXPECT_EQ(Bytes(sent.begin() + 62, sent.end()), (Bytes{PKT_TextCommand, 0, 7, 1, 'g', 'o', 0}));
    EXPECT_EQ(connection->packetStatistics[1].Records().at(PKT_AccountLogin).bytes, 62);
    EXPECT_EQ(connection->packetCounters[1].Count(), 2);
}

TEST_F(Connection, AnAppendPastTheSendBufferIsDroppedWholeAndLeavesTheRegisters)
{
    CClientSock* connection = connectActive();
    fakeOf(connection)->limitSends(0, 4); // the socket takes nothing after the seed
    const Bytes block(kConnectionBufferSize - 10, 0x11);
    connection->QueueSend(block.data(), block.size());
    const LoginCipher before = connection->LoginRegisters();
    const Bytes eleven(11, 0x22);
    connection->QueueSend(eleven.data(), eleven.size());
    EXPECT_EQ(connection->SendLength(), block.size());
    EXPECT_EQ(connection->LoginRegisters().a, before.a);
    EXPECT_EQ(connection->LoginRegisters().b, before.b);
    EXPECT_NE(sandbox.read("KZReport0.log").find("send buffer full"), std::string::npos);
    const Bytes ten(10, 0x33);
    connection->QueueSend(ten.data(), ten.size()); // ends exactly at the buffer's end
    EXPECT_EQ(connection->SendLength(), kConnectionBufferSize);
}

TEST_F(Connection, AGamePhasePacketIsEncipheredExactlyOnceWhateverThePartialSends)
{
    CClientSock* connection = connectActive();
    connection->EnterGamePhase();
    platform::FakeTcpSocket* socket = fakeOf(connection);
    socket->limitSends(7);
    Bytes plain;
    uint8_t packet[kMaxPacketSize];
    for (int i = 0; i < 60; ++i) {
        BuildUseObjectPacket(packet, 0x40000000u + static_cast<uint32_t>(i));
        connection->SendPacket(packet);
        plain.insert(plain.end(), packet, packet + 5);
        connection->SelectPoll(); // a partial send between appends
    }
    for (int i = 0; i < 100 && connection->SendLength() > 0; ++i)
        connection->SelectPoll();
    Bytes sent = sentAfterSeed(socket);
    testsupport::GameKeystream(kLocalAddress).apply(sent.data(), sent.size());
    EXPECT_EQ(sent, plain); // 300 bytes: past the first keystream block too
    EXPECT_EQ(connection->EncryptedPrefix(), 0u);
}

TEST_F(Connection, ABlockedSocketIsNoLoss)
{
    CClientSock* connection = connectActive();
    platform::FakeTcpSocket* socket = fakeOf(connection);
    socket->limitSends(0, 4);
    uint8_t packet[8];
    BuildPingPacket(packet, 1);
    connection->SendPacket(packet);
    for (int i = 0; i < 3; ++i)
        connection->SelectPoll();
    EXPECT_TRUE(connection->HasSocket());
    EXPECT_EQ(connection->SendLength(), 2u);
    EXPECT_NE(FindServerSession(connection), nullptr);
}

class Loss : public nettest::NetTest {
protected:
    Loss()
    {
        LoginServers.count = 1;
        LoginServers.current = 0;
        LoginServers.entries[0].address = 0x7F000001;
        LoginServers.entries[0].port = 2593;
        CopyConfigText(AcctID, "account");
        CopyConfigText(AcctPassword, "secret");
        StayConnected = 1;
    }
    int sleeps() { return static_cast<int>(platform.clock().tickCount() / 76); }
};

TEST_F(Loss, APeerCloseRunsTheLossOnceAndReconnectsWithTheAccountLogin)
{
    CClientSock* first = connectActive();
    fakeOf(first)->closeFromPeer();
    PollServerSessions();
    EXPECT_EQ(gumps.messages, std::vector<std::string>{"Connection lost"});
    EXPECT_EQ(sleeps(), 1);
    CClientSock* second = ActiveConnection();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_FALSE(ConnectionAlive(first)); // deleted once its poll had returned
    ASSERT_NE(FindServerSession(second), nullptr);

    // More polls of the living connection lose nothing; the first one sends the account login.
    for (int i = 0; i < 5; ++i)
        PollServerSessions();
    EXPECT_EQ(sleeps(), 1);
    Bytes sent = sentAfterSeed(fakeOf(second));
    testsupport::LoginKeystream(kLocalAddress).apply(sent.data(), sent.size());
    ASSERT_EQ(sent.size(), 62u);
    EXPECT_EQ(sent[0], PKT_AccountLogin);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sent.data() + 1)), "account");
}

TEST_F(Loss, TheNoticeShowsOnceAndReconnectsComeOnTheFirstAndEveryThirteenthCall)
{
    CClientSock* connection = connectActive();
    ForgetServerSessionsOf(connection); // no record: every call goes to the notice and the countdown
    connection->Close();
    std::vector<int> reconnects;
    for (int call = 1; call <= 27; ++call) {
        const size_t before = sockets.size();
        nextConnectAnswers = {platform::NetStatus::Error}; // the reconnect fails: the loss stays
        ActiveConnection() != nullptr ? ActiveConnection()->OnConnectionLost("test")
                                      : connection->OnConnectionLost("test");
        if (sockets.size() != before)
            reconnects.push_back(call);
        CollectReleasedConnections();
    }
    EXPECT_EQ(reconnects, (std::vector<int>{1, 14, 27}));
    EXPECT_EQ(gumps.messages.size(), 1u);
    EXPECT_EQ(sleeps(), 27);
}

TEST_F(Loss, InTheWorldTheNoticeShowsAndNothingReconnects)
{
    g_bInGame = true;
    CClientSock* connection = connectActive();
    fakeOf(connection)->failNextReceive(ECONNRESET);
    const size_t before = sockets.size();
    PollServerSessions();
    EXPECT_EQ(gumps.messages, std::vector<std::string>{"Connection lost"});
    EXPECT_EQ(sockets.size(), before);
    EXPECT_NE(sandbox.read("KZReport0.log").find("The virtual circuit was reset by the remote side"), std::string::npos);
}

TEST_F(Loss, WithoutStayConnectedALossShowsNothing)
{
    StayConnected = 0;
    CClientSock* connection = connectActive();
    fakeOf(connection)->setFailed(true);
    PollServerSessions();
    EXPECT_TRUE(gumps.messages.empty());
    EXPECT_EQ(sleeps(), 0);
    EXPECT_TRUE(ServerSessions().empty());
}

TEST_F(Loss, ASecondaryLossDropsItsRecordAndAnActiveLossSwitchesToTheFirstRecord)
{
    std::vector<std::string> messages;
    netHooks().systemMessage = [&](const char* text) { messages.emplace_back(text); };
    int drops = 0;
    netHooks().dropWorldForServerSwitch = [&] { ++drops; };
    CClientSock* active = connectActive();
    CClientSock* other = CreateConnection();
    ASSERT_EQ(other->Connect(0x7F000001, 2594), 1);
    AddServerSession(other, "Second");
    CClientSock* third = CreateConnection();
    ASSERT_EQ(third->Connect(0x7F000001, 2595), 1);
    AddServerSession(third, "Third");

    fakeOf(third)->closeFromPeer();
    PollServerSessions();
    EXPECT_EQ(ServerSessions().size(), 2u);
    EXPECT_EQ(ActiveConnection(), active);
    EXPECT_TRUE(messages.empty());

    fakeOf(active)->closeFromPeer();
    PollServerSessions();
    EXPECT_EQ(ActiveConnection(), other);
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(messages, std::vector<std::string>{"Switching server!"});
    EXPECT_TRUE(gumps.messages.empty());
    EXPECT_EQ(sleeps(), 0);
}

TEST_F(Loss, TheQuietFlagTurnsAMissingSocketIntoNothing)
{
    CClientSock* connection = connectActive();
    connection->Close();
    NetQuietFlag = 1;
    connection->SelectPoll();
    EXPECT_EQ(connection->SendPending(), 0);
    EXPECT_NE(FindServerSession(connection), nullptr);
    EXPECT_TRUE(gumps.messages.empty());
}

class Sessions : public nettest::NetTest {
protected:
    void addServer(uint16_t port)
    {
        LoginServers.current = 0;
        LoginServerEntry& entry = LoginServers.entries[LoginServers.count++];
        entry.address = 0x7F000001;
        entry.port = port;
    }
};

TEST_F(Sessions, NoLoginServerTriesNothingAndQuits)
{
    Quitting = 0;
    EXPECT_EQ(ConnectToLoginServer(), 0);
    EXPECT_TRUE(sockets.empty());
    EXPECT_EQ(Quitting, 1);
    EXPECT_EQ(ChooseServer(0), 0); // none, not -1
    Quitting = 0;
}

TEST_F(Sessions, TheFirstWorkingServerAfterTheRandomStartIsUsed)
{
    for (uint16_t port : {2001, 2002, 2003})
        addServer(port);
    nextConnectAnswers = {platform::NetStatus::Error};
    // Each new socket takes the next answer: the first two fail.
    netFacilities().makeTcpSocket = [this] {
        auto socket = std::make_unique<platform::FakeTcpSocket>();
        if (sockets.size() < 2)
            socket->scriptConnect({platform::NetStatus::Error});
        sockets.push_back(socket.get());
        return socket;
    };
    ASSERT_EQ(ConnectToLoginServer(), 1);
    ASSERT_EQ(sockets.size(), 3u);
    const int start = (LoginServers.current + 1) % 3; // the entry tried first
    EXPECT_EQ(sockets[2]->lastPort(), 2001 + (start + 2) % 3);
    CClientSock* main = ActiveConnection();
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(ServerSessions().size(), 1u);
    EXPECT_EQ(CurrentServerSession(), ServerSessions()[0].get());
    EXPECT_EQ(StayConnected, 1);
    EXPECT_EQ(ConnectToLoginServer(), 1); // a standing main connection is kept
    EXPECT_EQ(sockets.size(), 3u);
}

TEST_F(Sessions, OpeningAConnectedShardSwitchesToItAndSaysSo)
{
    std::vector<std::string> messages;
    netHooks().systemMessage = [&](const char* text) { messages.emplace_back(text); };
    std::string title;
    addServer(2593);
    ASSERT_EQ(ChooseServer(0), 1);
    CClientSock* main = connectActive();
    ASSERT_EQ(OpenServerSession("Shard Two", -1), 1);
    ASSERT_EQ(ServerSessions().size(), 2u);
    CServerSession& two = *ServerSessions()[1];
    two.x = 100;
    two.y = 200;
    two.z = 5;
    EXPECT_EQ(ActiveConnection(), main);

    ASSERT_EQ(OpenServerSession("shard two", 7), 1);
    EXPECT_EQ(two.switchId, 7);
    EXPECT_EQ(ActiveConnection(), two.connection);
    EXPECT_EQ(messages, (std::vector<std::string>{"You are already connected to that shard!", "Switching server!"}));
    EXPECT_EQ(ServerSessions().size(), 2u);
}

TEST_F(Sessions, TheMenuListsConnectionsAndClosingMarksTheChosenOne)
{
    CClientSock* main = connectActive();
    main->EnterGamePhase();
    ServerSessions()[0]->shardName = "Home";
    CClientSock* other = CreateConnection();
    ASSERT_EQ(other->Connect(0x7F000001, 2594), 1);
    AddServerSession(other, "Away");
    std::vector<SessionMenuItem> shown;
    netHooks().showSessionMenu = [&](const std::vector<SessionMenuItem>& items) {
        shown = items;
        return 0;
    };
    MarkServerSessionClosed();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Home");
    EXPECT_FALSE(shown[0].greyed);
    EXPECT_EQ(shown[1].text, "Away (connecting)");
    EXPECT_TRUE(shown[1].greyed);
    EXPECT_TRUE(ServerSessions()[0]->closeFlag);
    StayConnected = 0;
    PollServerSessions(); // the main loop closes it
    EXPECT_EQ(ServerSessions().size(), 1u);
}

} // namespace
