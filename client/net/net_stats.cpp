/** @file The traffic meters and the UDP answer-time test. */
#include "client/net/net_stats.h"

#include "client/core/gump_services.h"
#include "client/core/kz_report.h"
#include "client/core/mouse_services.h"
#include "client/net/net_facilities.h"
#include "platform/net/udp_socket.h"
#include "platform/platform.h"

namespace {

uint32_t nowTick()
{
    return platform::current().clock->tickCount();
}

} // namespace

RateMeter::RateMeter()
{
    firstUnit_ = nextUnit_ = nowTick() / static_cast<uint32_t>(unitMs_);
}

void RateMeter::Record(uint32_t bytes)
{
    if (bytes == 0)
        return;
    const uint32_t unit = nowTick() / static_cast<uint32_t>(unitMs_);
    if (unit < firstUnit_)
        return;
    if (unit >= firstUnit_ + static_cast<uint32_t>(windowUnits_)) {
        firstUnit_ = nextUnit_ = unit;
        totals_.clear();
    }
    for (; nextUnit_ <= unit; ++nextUnit_)
        totals_.push_back(0);
    totals_[unit - firstUnit_] += static_cast<int32_t>(bytes);
    while (totals_.size() > static_cast<size_t>(windowUnits_)) {
        totals_.pop_front();
        ++firstUnit_;
    }
}

void PacketStatistics::Record(uint8_t id, uint32_t bytes)
{
    struct Record*& record = byId_[id];
    if (record == nullptr) {
        record = &records_[id];
        ids_.insert(id);
    }
    record->count += 1;
    record->bytes += static_cast<int32_t>(bytes);
    changed_ = 1;
}

void PacketCounter::Record(uint32_t bytes)
{
    if (firstTick_ == 0)
        firstTick_ = nowTick();
    count_ += 1;
    total_ += static_cast<int32_t>(bytes);
}

ShardPingTable& ShardPings()
{
    static ShardPingTable table;
    return table;
}

void PingShardServers()
{
    constexpr int kPasses = 20;
    constexpr uint32_t kSendGiveUpMs = 4000;
    constexpr uint32_t kReceiveWindowMs = 8000;
    constexpr int32_t kMissingMs = 200;

    ShardPingTable& table = ShardPings();
    const size_t servers = table.addresses.size();
    table.results.assign(servers, 0);
    platform::Clock& clock = *platform::current().clock;
    if (netFacilities().beginWait)
        netFacilities().beginWait();
    mouseManager().SetCursor(17);

    auto finish = [&] {
        if (netFacilities().endWait)
            netFacilities().endWait();
        mouseManager().SetCursor(17);
    };
    std::unique_ptr<platform::UdpSocket> socket = netFacilities().makeUdpSocket();
    if (!socket || !socket->open()) {
        gumpManager().ShowMessageGump("Socket Creation Failed", nullptr, 1, 0, 0);
        finish();
        return;
    }
    std::vector<int32_t> answers(servers * kPasses, 0);
    if (!socket->bind(table.port)) {
        gumpManager().ShowMessageGump("Bind Failed", nullptr, 1, 0, 0);
    } else {
        std::vector<uint32_t> sentAt(servers * kPasses, 0);
        for (int pass = 0; pass < kPasses; ++pass) {
            bool gaveUp = false;
            for (size_t i = 0; i < servers && !gaveUp; ++i) {
                uint8_t datagram[40] = {};
                datagram[0] = static_cast<uint8_t>(table.port >> 8);
                datagram[1] = static_cast<uint8_t>(table.port);
                datagram[2] = static_cast<uint8_t>(i);
                datagram[3] = static_cast<uint8_t>(pass);
                const uint32_t start = clock.tickCount();
                while (socket->sendTo(table.addresses[i], table.port, datagram, sizeof datagram).status !=
                       platform::NetStatus::Ok) {
                    if (clock.tickCount() - start >= kSendGiveUpMs) {
                        gumpManager().ShowMessageGump("Couldn't send for 4 seconds.", nullptr, 1, 0, 0);
                        gaveUp = true;
                        break;
                    }
                    clock.sleep(1);
                }
                sentAt[i * kPasses + static_cast<size_t>(pass)] = clock.tickCount();
            }
        }
        const uint32_t receiveStart = clock.tickCount();
        for (size_t expected = servers * kPasses; expected > 0;) {
            uint8_t answer[40] = {};
            const platform::NetResult got = socket->receiveFrom(answer, sizeof answer, nullptr, nullptr);
            if (got.status != platform::NetStatus::Ok) {
                if (clock.tickCount() - receiveStart >= kReceiveWindowMs)
                    break;
                clock.sleep(1);
                continue;
            }
            --expected;
            const size_t index = got.bytes > 2 ? answer[2] : 0xFF;
            const size_t pass = got.bytes > 3 ? answer[3] : 0xFF;
            if (index >= 128 || index >= servers || pass >= kPasses) {
                gumpManager().ShowMessageGump("Bogus return ping", nullptr, 1, 0, 0);
                continue;
            }
            const uint32_t elapsed = clock.tickCount() - sentAt[index * kPasses + pass];
            answers[index * kPasses + pass] = elapsed == 0 ? 1 : static_cast<int32_t>(elapsed);
        }
    }
    for (size_t i = 0; i < servers; ++i) {
        int32_t sum = 0;
        for (int pass = 0; pass < kPasses; ++pass) {
            const int32_t t = answers[i * kPasses + static_cast<size_t>(pass)];
            sum += t == 0 ? kMissingMs : t;
        }
        table.results[i] = sum;
    }
    socket->close();
    finish();
}
