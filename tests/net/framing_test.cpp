/** @file Tests of framing and dispatch on a connection fed by a fake socket: one-byte packets, splits, pauses, the secondary filter, bad streams. */
#include "client/net/packet_buffer.h"
#include "client/net/packet_table.h"
#include "tests/net/net_test_fixture.h"
#include "tests/support/loopback_server.h"

#include <gtest/gtest.h>

namespace {

using testsupport::Bytes;
using testsupport::MakePacket;

std::vector<Bytes> g_dispatched;

void record(const uint8_t* packet, size_t length)
{
    g_dispatched.emplace_back(packet, packet + length);
}

class Framing : public nettest::NetTest {
protected:
    Framing()
    {
        g_dispatched.clear();
        for (int id = 0; id < kPacketIdCount; ++id)
            if (PacketRoleOf(static_cast<uint8_t>(id)) != PacketRole::None)
                SetPacketHandler(static_cast<uint8_t>(id), record);
        connection = connectActive();
        socket = fakeOf(connection);
    }

    /** Hands the bytes to the connection in the given pieces, polling after each. */
    void deliver(const Bytes& bytes, size_t piece = SIZE_MAX)
    {
        for (size_t at = 0; at < bytes.size(); at += piece) {
            const size_t n = std::min(piece, bytes.size() - at);
            socket->pushIncoming(Bytes(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + n)));
            connection->SelectPoll();
        }
    }

    /** The game stream of these packets as the server sends it to this connection, from its first byte. */
    Bytes gameStream(const std::vector<Bytes>& packets, uint64_t& counter)
    {
        const Bytes key = testsupport::ReceiveKeyFor(RelayKey);
        Bytes stream;
        for (const Bytes& packet : packets)
            for (uint8_t byte : testsupport::HuffmanEncode(packet))
                stream.push_back(static_cast<uint8_t>(byte ^ key[counter++ % 16]));
        return stream;
    }

    CClientSock* connection = nullptr;
    platform::FakeTcpSocket* socket = nullptr;
};

TEST_F(Framing, AOneBytePacketIsDispatchedAsSoonAsItHasArrived)
{
    deliver({PKT_LoginComplete});
    ASSERT_EQ(g_dispatched.size(), 1u);
    EXPECT_EQ(g_dispatched[0], Bytes{PKT_LoginComplete});
    EXPECT_EQ(connection->RawLength(), 0u);
}

TEST_F(Framing, PacketsSplitAnywhereAreDispatchedOnceWholeWithTheirHeaderAsSent)
{
    const Bytes speech = MakePacket(PKT_Speech, Bytes(40, 'x'));
    const Bytes fixed = MakePacket(PKT_DeleteObject, {0x40, 0, 0, 1});
    Bytes stream = speech;
    stream.insert(stream.end(), fixed.begin(), fixed.end());
    for (size_t piece : {size_t{1}, size_t{2}, size_t{3}, size_t{44}}) {
        g_dispatched.clear();
        deliver(stream, piece);
        ASSERT_EQ(g_dispatched.size(), 2u) << piece;
        EXPECT_EQ(g_dispatched[0], speech) << piece;
        EXPECT_EQ(g_dispatched[1], fixed) << piece;
    }
}

TEST_F(Framing, PausedPacketsRunAfterTheResumeInArrivalOrder)
{
    const Bytes first = MakePacket(PKT_DeleteObject, {0, 0, 0, 1});
    const Bytes second = MakePacket(PKT_Speech, {'h', 'i'});
    Bytes stream = {PKT_PauseControl, 1};
    stream.insert(stream.end(), first.begin(), first.end());
    stream.insert(stream.end(), {PKT_PauseControl, 7}); // a pause inside the pause: discarded
    stream.insert(stream.end(), second.begin(), second.end());
    deliver(stream, 1);
    EXPECT_TRUE(g_dispatched.empty());
    EXPECT_TRUE(connection->Paused());
    EXPECT_EQ(connection->HeldCount(), 2);
    deliver({PKT_PauseControl, 0, PKT_LoginComplete});
    ASSERT_EQ(g_dispatched.size(), 3u);
    EXPECT_EQ(g_dispatched[0], first);
    EXPECT_EQ(g_dispatched[1], second);
    EXPECT_EQ(g_dispatched[2], Bytes{PKT_LoginComplete});
    EXPECT_FALSE(connection->Paused());
    EXPECT_EQ(connection->HeldBytes(), 0u);
    EXPECT_EQ(connection->HeldCount(), 0);
    EXPECT_EQ(connection->HeldCapacity(), 16); // the list keeps its room for the next pause
    EXPECT_EQ(connection->RawLength(), 0u);
    // Only the pause is counted: the resume and the discarded pause are handled inside the pause.
    EXPECT_EQ(connection->packetStatistics[0].Records().at(PKT_PauseControl).count, 1);
}

TEST_F(Framing, APacketThatWouldNotFitBehindTheHeldOnesReleasesThem)
{
    const Bytes big = MakePacket(PKT_Speech, Bytes(40000, 'a'));
    const Bytes next = MakePacket(PKT_Speech, Bytes(30000, 'b'));
    Bytes stream = {PKT_PauseControl, 1};
    stream.insert(stream.end(), big.begin(), big.end());
    stream.insert(stream.end(), next.begin(), next.end());
    deliver(stream, 20000);
    ASSERT_EQ(g_dispatched.size(), 2u);
    EXPECT_EQ(g_dispatched[0], big);
    EXPECT_EQ(g_dispatched[1], next);
    EXPECT_FALSE(connection->Paused());
}

TEST_F(Framing, ASecondaryConnectionInTheGamePhasePassesOnlyItsSetOfIds)
{
    CClientSock* secondary = CreateConnection();
    ASSERT_EQ(secondary->Connect(0x7F000001, 2594), 1);
    AddServerSession(secondary, "other");
    secondary->EnterGamePhase();
    platform::FakeTcpSocket* secondarySocket = fakeOf(secondary);
    uint64_t counter = 0;
    const Bytes speech = MakePacket(PKT_Speech, {'x'});
    const Bytes extended = MakePacket(PKT_ExtendedCommand, {0, 1});
    secondarySocket->pushIncoming(gameStream({speech, extended}, counter));
    secondary->SelectPoll();
    ASSERT_EQ(g_dispatched.size(), 1u);
    EXPECT_EQ(g_dispatched[0], extended);
    EXPECT_EQ(secondary->packetStatistics[0].Records().count(PKT_Speech), 0u);
    EXPECT_EQ(LastPacketId, PKT_ExtendedCommand);

    // The same packet on the active connection goes through.
    SetActiveConnection(secondary);
    secondarySocket->pushIncoming(gameStream({speech}, counter));
    secondary->SelectPoll();
    ASSERT_EQ(g_dispatched.size(), 2u);
    EXPECT_EQ(g_dispatched[1], speech);
}

TEST_F(Framing, AnUnknownPacketShowsOneBoxThenOnlyLogsAndIsConsumed)
{
    deliver({0x03, 0x00, 0x05, 0xAA, 0xBB, 0x03, 0x00, 0x03, PKT_LoginComplete});
    const auto boxes = sandbox.boxes().boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Oops");
    EXPECT_EQ(boxes[0].text, "Unknown Packet: 3 (last packet -1)");
    ASSERT_EQ(g_dispatched.size(), 1u);
    EXPECT_EQ(LastPacketId, PKT_LoginComplete);
    EXPECT_NE(sandbox.read("KZReport0.log").find("Unknown Packet: 3 (last packet 3)"), std::string::npos);
}

TEST_F(Framing, AStreamThatCannotBeFramedClosesTheConnection)
{
    struct Case {
        const char* name;
        Bytes bytes;
    };
    for (const Case& c : {Case{"id past the table", {0xCD, 1, 2, 3}}, Case{"length 0", {PKT_Speech, 0, 0, 9}},
                          Case{"length 2", {PKT_Speech, 0, 2, 9}}}) {
        CClientSock* victim = connectActive();
        fakeOf(victim)->pushIncoming(c.bytes);
        victim->SelectPoll();
        EXPECT_FALSE(victim->HasSocket()) << c.name;
        EXPECT_EQ(victim->RawLength(), 0u) << c.name;
        EXPECT_EQ(FindServerSession(victim), nullptr) << c.name;
    }
    EXPECT_TRUE(g_dispatched.empty());
    EXPECT_NE(sandbox.read("KZReport0.log").find("packet id past the length table (205)"), std::string::npos);
}

TEST_F(Framing, TheGameStreamIsDecodedAcrossReceivesAndAFullPacketBufferWaits)
{
    connection->EnterGamePhase();
    std::vector<Bytes> packets;
    for (int i = 0; i < 700; ++i)
        packets.push_back(MakePacket(PKT_Speech, Bytes(100 + i % 50, static_cast<uint8_t>(i))));
    uint64_t counter = 0;
    const Bytes stream = gameStream(packets, counter);
    deliver(stream, 997);
    ASSERT_EQ(g_dispatched.size(), packets.size());
    EXPECT_EQ(g_dispatched.front(), packets.front());
    EXPECT_EQ(g_dispatched.back(), packets.back());
    EXPECT_EQ(connection->PacketLength(), 0u);
}

} // namespace
