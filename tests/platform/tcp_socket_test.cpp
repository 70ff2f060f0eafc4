/** @file TCP client sockets: the real backend on loopback and the scripted fake. */
#include "platform/net/tcp_socket.h"

#include "tests/support/fake_translation_helper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using platform::NetResult;
using platform::NetStatus;
using testsupport::FakeTranslationHelper;

constexpr uint32_t kLoopback = 0x7F000001;

/** Repeats a non-blocking call until it stops saying WouldBlock (bounded by real time: this is I/O). */
template <class F>
NetResult untilDone(F&& call)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    NetResult r = call();
    while (r.status == NetStatus::WouldBlock && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
        r = call();
    }
    return r;
}

uint16_t closedPort()
{
    // A port that was just free and has no listener now.
    uint16_t port;
    {
        FakeTranslationHelper probe(FakeTranslationHelper::Mode::NeverAccept);
        port = probe.port();
    }
    return port;
}

TEST(TcpSocketTest, ConnectsSendsAndReceivesOnLoopback)
{
    FakeTranslationHelper helper(FakeTranslationHelper::Mode::Normal);
    auto socket = platform::makeTcpSocket();
    EXPECT_EQ(socket->receive(nullptr, 0).status, NetStatus::Closed); // not open yet
    ASSERT_EQ(untilDone([&] { return socket->connect(kLoopback, helper.port()); }).status, NetStatus::Ok);
    EXPECT_TRUE(socket->isConnected());
    uint8_t probe[4];
    EXPECT_EQ(socket->receive(probe, sizeof probe).status, NetStatus::WouldBlock);

    const std::vector<uint8_t> request = {7, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 'h', 0, 'i', 0, 0, 0};
    const NetResult sent = socket->send(request.data(), request.size());
    ASSERT_EQ(sent.status, NetStatus::Ok);
    EXPECT_EQ(sent.bytes, request.size());

    ASSERT_TRUE(helper.waitForSends(1));
    const std::vector<uint8_t> expected = FakeTranslationHelper::encodeReply(7, u"<hi>");
    std::vector<uint8_t> received;
    while (received.size() < expected.size()) {
        uint8_t buffer[64];
        const NetResult r = untilDone([&] { return socket->receive(buffer, sizeof buffer); });
        ASSERT_EQ(r.status, NetStatus::Ok);
        received.insert(received.end(), buffer, buffer + r.bytes);
    }
    EXPECT_EQ(received, expected);
    socket->close();
    EXPECT_FALSE(socket->isOpen());
}

TEST(TcpSocketTest, PeerCloseAndRefusedConnectionsAreReportedNotSignalled)
{
    auto socket = platform::makeTcpSocket();
    {
        FakeTranslationHelper helper(FakeTranslationHelper::Mode::Normal);
        ASSERT_EQ(untilDone([&] { return socket->connect(kLoopback, helper.port()); }).status, NetStatus::Ok);
        const uint8_t byte = 1;
        ASSERT_EQ(socket->send(&byte, 1).status, NetStatus::Ok);
    } // the helper closes its end
    uint8_t buffer[16];
    NetResult r = untilDone([&] { return socket->receive(buffer, sizeof buffer); });
    EXPECT_TRUE(r.status == NetStatus::Closed || r.status == NetStatus::Error);
    // Writing to the dead connection ends in an error at the latest on the second try, never SIGPIPE.
    const uint8_t data[64] = {};
    NetStatus last = NetStatus::Ok;
    for (int i = 0; i < 50 && last == NetStatus::Ok; ++i)
        last = socket->send(data, sizeof data).status;
    EXPECT_TRUE(last == NetStatus::Error || last == NetStatus::Closed);

    auto refused = platform::makeTcpSocket();
    r = untilDone([&] { return refused->connect(kLoopback, closedPort()); });
    EXPECT_EQ(r.status, NetStatus::Error);
    EXPECT_NE(r.errorCode, 0);
    EXPECT_FALSE(refused->isOpen());
}

TEST(TcpSocketTest, FakeFollowsItsScriptAndHandsOutChunksInSlices)
{
    platform::FakeTcpSocket fake;
    fake.scriptConnect({NetStatus::WouldBlock, NetStatus::Error, NetStatus::Ok});
    EXPECT_EQ(fake.connect(kLoopback, 9).status, NetStatus::WouldBlock);
    EXPECT_TRUE(fake.isOpen());
    EXPECT_EQ(fake.connect(kLoopback, 9).status, NetStatus::Error);
    EXPECT_FALSE(fake.isOpen());
    EXPECT_EQ(fake.connect(kLoopback, 9).status, NetStatus::Ok);
    EXPECT_EQ(fake.connectCalls(), 3);
    EXPECT_EQ(fake.lastPort(), 9);

    fake.pushIncoming({1, 2, 3, 4, 5});
    EXPECT_TRUE(fake.readable());
    uint8_t buffer[3];
    NetResult r = fake.receive(buffer, sizeof buffer);
    EXPECT_EQ(r.bytes, 3u);
    r = fake.receive(buffer, sizeof buffer);
    EXPECT_EQ(r.bytes, 2u);
    EXPECT_EQ(buffer[1], 5);
    EXPECT_EQ(fake.receive(buffer, sizeof buffer).status, NetStatus::WouldBlock);
    fake.closeFromPeer();
    EXPECT_EQ(fake.receive(buffer, sizeof buffer).status, NetStatus::Closed);

    const uint8_t out[] = {9, 8};
    EXPECT_EQ(fake.send(out, 2).bytes, 2u);
    EXPECT_EQ(fake.sent(), (std::vector<uint8_t>{9, 8}));
}

} // namespace
