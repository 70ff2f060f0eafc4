/** @file Huffman decoding of a recorded game stream beside memcpy and the bit-by-bit reference, and framing with dispatch of the same stream. */
// bench-links: client_net
// bench-sources: tests/support/loopback_server.cpp
#include "client/net/client_sock.h"
#include "client/net/huffman.h"
#include "client/net/net_facilities.h"
#include "client/net/packet_dispatch.h"
#include "client/net/server_sessions.h"
#include "platform/platform.h"
#include "tests/support/loopback_server.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

using testsupport::Bytes;
using testsupport::MakePacket;

/** A few MB of a game phase as the test server sends it: moves, object records, speech, status and effects. */
struct Recording {
    Bytes plain;
    Bytes coded;

    Recording()
    {
        std::mt19937 random(2024);
        auto u32 = [&](Bytes& b, uint32_t v) {
            for (int shift = 24; shift >= 0; shift -= 8)
                b.push_back(static_cast<uint8_t>(v >> shift));
        };
        auto u16 = [&](Bytes& b, uint32_t v) {
            b.push_back(static_cast<uint8_t>(v >> 8));
            b.push_back(static_cast<uint8_t>(v));
        };
        const char* words[] = {"hail", "and", "well", "met", "the", "bank", "guards", "vendor", "buy", "sell", "a"};
        while (plain.size() < (4u << 20)) {
            Bytes packet;
            const unsigned kind = random() % 10;
            if (kind < 4) { // a mobile moving
                packet = {0x77};
                u32(packet, 0x00000100 + random() % 200);
                u16(packet, 400 + random() % 3);
                u16(packet, 1400 + random() % 40);
                u16(packet, 1600 + random() % 40);
                packet.push_back(static_cast<uint8_t>(random() % 8));
                packet.push_back(static_cast<uint8_t>(random() % 8));
                u16(packet, 0x83EA);
                packet.push_back(0);
                packet.push_back(1);
            } else if (kind < 7) { // an object record
                Bytes body;
                u32(body, 0x40000000 + random() % 5000);
                u16(body, 0x0E00 + random() % 0x200);
                u16(body, 1400 + random() % 40);
                u16(body, 1600 + random() % 40);
                body.push_back(0);
                packet = MakePacket(0x1A, body);
            } else if (kind < 9) { // speech
                Bytes body;
                u32(body, 0x00000100 + random() % 200);
                u16(body, 400);
                body.push_back(0);
                u16(body, 0x3B2);
                u16(body, 3);
                Bytes name = {'S', 'o', 'm', 'e', 'o', 'n', 'e'};
                name.resize(30, 0);
                body.insert(body.end(), name.begin(), name.end());
                for (int w = 0; w < 3 + static_cast<int>(random() % 8); ++w) {
                    const char* word = words[random() % 11];
                    body.insert(body.end(), word, word + std::strlen(word));
                    body.push_back(' ');
                }
                body.push_back(0);
                packet = MakePacket(0x1C, body);
            } else { // a hit points update
                packet = {0xA1};
                u32(packet, 0x00000100 + random() % 200);
                u16(packet, 100);
                u16(packet, random() % 100);
            }
            plain.insert(plain.end(), packet.begin(), packet.end());
            const Bytes c = testsupport::HuffmanEncode(packet);
            coded.insert(coded.end(), c.begin(), c.end());
        }
    }
};

const Recording& recording()
{
    static const Recording r;
    return r;
}

void BM_Memcpy(benchmark::State& state)
{
    const Bytes& coded = recording().coded;
    Bytes out(coded.size());
    for (auto _ : state) {
        std::memcpy(out.data(), coded.data(), coded.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(coded.size()));
}

template <size_t (*Decode)(const uint8_t*, size_t, size_t, uint8_t*, size_t&, size_t)>
void decodeBenchmark(benchmark::State& state)
{
    const Recording& r = recording();
    Bytes out(r.plain.size() + 16);
    for (auto _ : state) {
        size_t length = 0;
        Decode(r.coded.data(), r.coded.size(), 0, out.data(), length, out.size());
        benchmark::DoNotOptimize(out.data());
        if (length != r.plain.size())
            state.SkipWithError("decoded length differs");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(r.coded.size()));
    state.counters["decoded_MB/s"] = benchmark::Counter(static_cast<double>(r.plain.size()) * static_cast<double>(state.iterations()) / 1e6,
                                                        benchmark::Counter::kIsRate);
}

void BM_HuffmanTable(benchmark::State& state)
{
    decodeBenchmark<HuffmanDecode>(state);
}

void BM_HuffmanBitwise(benchmark::State& state)
{
    decodeBenchmark<HuffmanDecodeBitwise>(state);
}

size_t g_handled = 0;
void noOp(const uint8_t*, size_t)
{
    ++g_handled;
}

/** The whole receive path of a game connection: key XOR, decoding, framing and dispatch to no-op handlers. */
void BM_FramingAndDispatch(benchmark::State& state)
{
    static platform::ScopedPlatform nullPlatform;
    static platform::FakeHostResolver resolver;
    netFacilities().resolver = &resolver;
    netFacilities().makeTcpSocket = [] { return std::make_unique<platform::FakeTcpSocket>(); };
    for (int id = 0; id < 256; ++id)
        SetPacketHandler(static_cast<uint8_t>(id), noOp);
    const Recording& r = recording();
    for (auto _ : state) {
        state.PauseTiming();
        ResetConnectionState();
        CClientSock* connection = CreateConnection();
        connection->Connect(0x7F000001, 2593);
        SetActiveConnection(connection);
        AddServerSession(connection, nullptr);
        connection->EnterGamePhase();
        auto* socket = static_cast<platform::FakeTcpSocket*>(connection->Socket());
        // The server's XOR with the connection's key, so the connection's own XOR gives the coded stream back.
        Bytes stream = r.coded;
        for (size_t i = 0; i < stream.size(); ++i)
            stream[i] ^= connection->ReceiveKey()[i % 16];
        std::vector<Bytes> chunks;
        for (size_t at = 0; at < stream.size(); at += 16384)
            chunks.emplace_back(stream.begin() + static_cast<long>(at),
                                stream.begin() + static_cast<long>(std::min(stream.size(), at + 16384)));
        g_handled = 0;
        state.ResumeTiming();
        for (Bytes& chunk : chunks) {
            socket->pushIncoming(std::move(chunk));
            connection->SelectPoll();
        }
        benchmark::DoNotOptimize(g_handled);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(r.coded.size()));
    state.counters["packets"] = static_cast<double>(g_handled);
    ResetConnectionState();
}

} // namespace

BENCHMARK(BM_Memcpy)->Repetitions(30)->ReportAggregatesOnly(true);
BENCHMARK(BM_HuffmanTable)->Repetitions(30)->ReportAggregatesOnly(true);
BENCHMARK(BM_HuffmanBitwise)->Repetitions(30)->ReportAggregatesOnly(true);
BENCHMARK(BM_FramingAndDispatch)->Repetitions(30)->ReportAggregatesOnly(true);
