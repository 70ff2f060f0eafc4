/** @file Traffic meters of a socket (bytes per second, packets per id, packet totals) and the UDP answer-time test of the shards. */
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <vector>

/**
 * Bytes per one-second unit over a sliding window of 60 units, timed by the platform clock's
 * tick. Traffic after more than a window of silence restarts the window; a tick that went back
 * before the window's start leaves the meter as it is.
 */
class RateMeter {
public:
    RateMeter();
    void Record(uint32_t bytes);

    uint32_t FirstUnit() const { return firstUnit_; }
    uint32_t NextUnit() const { return nextUnit_; }
    const std::deque<int32_t>& Totals() const { return totals_; }

private:
    int32_t unitMs_ = 1000;
    int32_t windowUnits_ = 60;
    uint32_t firstUnit_ = 0;
    uint32_t nextUnit_ = 0;
    std::deque<int32_t> totals_;
};

/** Per packet id: how many packets and how many bytes; the ids seen; a flag set by every update. */
class PacketStatistics {
public:
    struct Record {
        int32_t count = 0;
        int32_t bytes = 0;
    };
    PacketStatistics() = default;
    PacketStatistics(const PacketStatistics&) = delete; // the shortcuts point into this object's map
    PacketStatistics& operator=(const PacketStatistics&) = delete;

    void Record(uint8_t id, uint32_t bytes);

    const std::map<uint8_t, struct Record>& Records() const { return records_; }
    const std::set<uint8_t>& Ids() const { return ids_; }
    bool Changed() const { return changed_ != 0; }
    void ClearChanged() { changed_ = 0; }

private:
    std::map<uint8_t, struct Record> records_;
    std::set<uint8_t> ids_;
    std::array<struct Record*, 256> byId_{}; // each id's record once it has one: a packet costs no search
    uint8_t changed_ = 0;
};

/** All packets of a direction: the tick of the first, how many, how many bytes. */
class PacketCounter {
public:
    void Record(uint32_t bytes);

    uint32_t FirstTick() const { return firstTick_; }
    int32_t Count() const { return count_; }
    int32_t Total() const { return total_; }

private:
    uint32_t firstTick_ = 0;
    int32_t count_ = 0;
    int32_t total_ = 0;
};

/** The UDP port the shards answer the test on (and the local port it is sent from). */
inline constexpr uint16_t kPingPort = 12000;

/**
 * The servers the answer-time test measures (the shard list fills the addresses) and, after the
 * test, each one's sum of 20 answer times in milliseconds, a missing answer counting 200.
 * The table holds as many servers as the shard list.
 */
struct ShardPingTable {
    std::vector<uint32_t> addresses;
    std::vector<int32_t> results;
    /** The port the test binds and sends to; tests move it off the fixed one. */
    uint16_t port = kPingPort;
};
ShardPingTable& ShardPings();

/**
 * Measures every server of ShardPings(): 20 passes of one 40-byte datagram each, then up to 8
 * seconds of answers; blocks until done. Failures show as message gumps.
 */
void PingShardServers();
