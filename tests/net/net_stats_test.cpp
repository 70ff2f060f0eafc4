/** @file Tests of the traffic meters and the UDP answer-time test. */
#include "client/net/net_stats.h"
#include "tests/net/net_test_fixture.h"

#include <gtest/gtest.h>

namespace {

class Meters : public nettest::NetTest {};

TEST_F(Meters, TheRateWindowSlidesRestartsAfterSilenceAndIgnoresTimeGoingBack)
{
    platform.clock().setTick(100000); // unit 100
    RateMeter meter;
    meter.Record(10);
    platform.clock().setTick(102500); // unit 102: zero totals fill the gap
    meter.Record(5);
    meter.Record(0);
    EXPECT_EQ(meter.Totals(), (std::deque<int32_t>{10, 0, 5}));
    EXPECT_EQ(meter.FirstUnit(), 100u);

    platform.clock().setTick(99000); // before the window: nothing
    meter.Record(7);
    EXPECT_EQ(meter.Totals(), (std::deque<int32_t>{10, 0, 5}));

    platform.clock().setTick(159000); // unit 159: the window keeps 60 units, the oldest go
    meter.Record(1);
    EXPECT_EQ(meter.Totals().size(), 60u);
    EXPECT_EQ(meter.FirstUnit(), 100u);
    platform.clock().setTick(160000); // unit 160: more than a window after the first unit
    meter.Record(2);
    EXPECT_EQ(meter.Totals(), (std::deque<int32_t>{2}));
    EXPECT_EQ(meter.FirstUnit(), 160u);
}

TEST_F(Meters, PacketStatisticsAndCounters)
{
    platform.clock().setTick(1234);
    PacketStatistics statistics;
    statistics.Record(0x1C, 10);
    statistics.Record(0x1C, 5);
    statistics.Record(0x02, 7);
    EXPECT_EQ(statistics.Records().at(0x1C).count, 2);
    EXPECT_EQ(statistics.Records().at(0x1C).bytes, 15);
    EXPECT_EQ(statistics.Ids(), (std::set<uint8_t>{0x02, 0x1C}));
    EXPECT_TRUE(statistics.Changed());
    PacketCounter counter;
    counter.Record(3);
    platform.clock().setTick(5000);
    counter.Record(4);
    EXPECT_EQ(counter.FirstTick(), 1234u);
    EXPECT_EQ(counter.Count(), 2);
    EXPECT_EQ(counter.Total(), 7);
}

/** Hands the test's own fake to the answer-time test, which closes and drops its socket when done. */
class Borrowed final : public platform::UdpSocket {
public:
    explicit Borrowed(platform::FakeUdpSocket& socket) : socket_(socket) {}
    bool open() override { return socket_.open(); }
    bool bind(uint16_t port) override { return socket_.bind(port); }
    platform::NetResult sendTo(uint32_t address, uint16_t port, const void* data, size_t size) override
    {
        return socket_.sendTo(address, port, data, size);
    }
    platform::NetResult receiveFrom(void* buffer, size_t capacity, uint32_t* address, uint16_t* port) override
    {
        return socket_.receiveFrom(buffer, capacity, address, port);
    }
    void close() override { socket_.close(); }

private:
    platform::FakeUdpSocket& socket_;
};

class Ping : public nettest::NetTest {
protected:
    Ping()
    {
        netFacilities().makeUdpSocket = [this] {
            sockets_.push_back(std::make_unique<platform::FakeUdpSocket>());
            socket = sockets_.back().get();
            prepare(*socket);
            return std::make_unique<Borrowed>(*socket);
        };
        ShardPings() = ShardPingTable{};
        ShardPings().addresses = {0x7F000001, 0x7F000002};
        ShardPings().port = 12345;
    }
    ~Ping() override { ShardPings() = ShardPingTable{}; }

    std::function<void(platform::FakeUdpSocket&)> prepare = [](platform::FakeUdpSocket&) {};
    platform::FakeUdpSocket* socket = nullptr;
    std::vector<std::unique_ptr<platform::FakeUdpSocket>> sockets_;
};

platform::FakeUdpSocket::Datagram answer(int index, int pass)
{
    platform::FakeUdpSocket::Datagram d;
    d.bytes.assign(40, 0);
    d.bytes[2] = static_cast<uint8_t>(index);
    d.bytes[3] = static_cast<uint8_t>(pass);
    return d;
}

TEST_F(Ping, SumsTwentyAnswerTimesAndCountsMissingOnesAs200)
{
    prepare = [](platform::FakeUdpSocket& s) {
        s.pushIncoming(answer(0, 19)); // pass 19 counts
        s.pushIncoming(answer(0, 20)); // pass 20 is bogus
        s.pushIncoming(answer(2, 0));  // no third server
    };
    PingShardServers();
    ASSERT_NE(socket, nullptr);
    EXPECT_EQ(socket->boundPort(), 12345);
    ASSERT_EQ(socket->sent().size(), 40u);
    const auto& first = socket->sent()[0];
    EXPECT_EQ(first.port, 12345);
    EXPECT_EQ(first.bytes.size(), 40u);
    EXPECT_EQ(first.bytes[0], 12345 >> 8);
    EXPECT_EQ(first.bytes[1], 12345 & 0xFF);
    EXPECT_EQ(socket->sent()[3].bytes[2], 1); // server 1 of pass 1
    EXPECT_EQ(socket->sent()[3].bytes[3], 1);
    // The answer came at once: 0 ms is kept as 1, apart from a missing answer.
    EXPECT_EQ(ShardPings().results, (std::vector<int32_t>{19 * 200 + 1, 20 * 200}));
    EXPECT_EQ(gumps.messages, (std::vector<std::string>{"Bogus return ping", "Bogus return ping"}));
    EXPECT_TRUE(socket->closed());
}

TEST_F(Ping, FailuresShowTheirMessages)
{
    prepare = [](platform::FakeUdpSocket& s) { s.failOpen(); };
    PingShardServers();
    EXPECT_EQ(gumps.messages, std::vector<std::string>{"Socket Creation Failed"});

    gumps.messages.clear();
    prepare = [](platform::FakeUdpSocket& s) { s.failBind(); };
    PingShardServers();
    EXPECT_EQ(gumps.messages, std::vector<std::string>{"Bind Failed"});
    EXPECT_EQ(ShardPings().results, (std::vector<int32_t>{4000, 4000}));

    gumps.messages.clear();
    prepare = [](platform::FakeUdpSocket& s) { s.blockSends(5000); };
    PingShardServers();
    EXPECT_EQ(gumps.messages.front(), "Couldn't send for 4 seconds.");
}

} // namespace
