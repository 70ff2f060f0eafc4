/** @file Tests of Huffman decoding: the table's own codes, the fast decoder against the bit-by-bit walk, every split of a stream. */
#include "client/net/huffman.h"
#include "tests/support/loopback_server.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using testsupport::Bytes;

/** Decodes a whole stream in one call; the bit position after it comes back in `bit`. */
Bytes decodeAll(const Bytes& raw, size_t& bit, bool bitwise = false, size_t capacity = 1 << 20)
{
    Bytes out(capacity);
    size_t length = 0;
    bit = bitwise ? HuffmanDecodeBitwise(raw.data(), raw.size(), 0, out.data(), length, capacity)
                  : HuffmanDecode(raw.data(), raw.size(), 0, out.data(), length, capacity);
    out.resize(length);
    return out;
}

/** Feeds the stream in pieces cut at `cuts`, keeping the bit position and the unconsumed bytes as the connection does. */
Bytes decodeInPieces(const Bytes& stream, const std::vector<size_t>& cuts, bool bitwise)
{
    Bytes raw;
    Bytes out(stream.size() * 8);
    size_t length = 0;
    size_t bit = 0;
    size_t from = 0;
    auto feed = [&](size_t to) {
        raw.insert(raw.end(), stream.begin() + static_cast<long>(from), stream.begin() + static_cast<long>(to));
        from = to;
        const size_t at = bitwise ? HuffmanDecodeBitwise(raw.data(), raw.size(), bit, out.data(), length, out.size())
                                  : HuffmanDecode(raw.data(), raw.size(), bit, out.data(), length, out.size());
        raw.erase(raw.begin(), raw.begin() + static_cast<long>(at / 8));
        bit = at % 8;
    };
    for (size_t cut : cuts)
        feed(cut);
    feed(stream.size());
    out.resize(length);
    return out;
}

TEST(Huffman, TheTablesOwnCodes)
{
    // 00 is byte 0x00 and 1101 the end symbol: "00 1101 00" is 0x34, one byte 0x00 and the padding.
    size_t bit = 0;
    EXPECT_EQ(decodeAll({0x34}, bit), Bytes{0x00});
    EXPECT_EQ(bit, 8u);
    // Byte 0x01 is 5/1F: 11111 then 1101 then padding: 1111 1110 1000 0000.
    EXPECT_EQ(decodeAll({0xFE, 0x80}, bit), Bytes{0x01});
    EXPECT_EQ(bit, 16u);
    // After an end symbol in the middle of a byte, the next byte starts afresh: 0x34 0x34 is two packets.
    EXPECT_EQ(decodeAll({0x34, 0x34}, bit), (Bytes{0x00, 0x00}));
    // A code cut off by the end of the data is not consumed: 0xFE is 11111 (0x01) and 110 of 1101.
    EXPECT_EQ(decodeAll({0xFE}, bit), Bytes{0x01});
    EXPECT_EQ(bit, 5u);
    EXPECT_EQ(kHuffmanCodes[kHuffmanEndSymbol].bits, 4u);
    EXPECT_EQ(kHuffmanCodes[kHuffmanEndSymbol].code, 0xDu);
    EXPECT_EQ(kHuffmanCodes[0].bits, 2u);
    EXPECT_EQ(kHuffmanCodes[0].code, 0u);
}

TEST(Huffman, TheTestServersEncoderRoundTripsEveryByte)
{
    Bytes packet;
    for (int i = 0; i < 256; ++i)
        packet.push_back(static_cast<uint8_t>(i));
    size_t bit = 0;
    const Bytes coded = testsupport::HuffmanEncode(packet);
    EXPECT_EQ(decodeAll(coded, bit), packet);
    EXPECT_EQ(bit, coded.size() * 8);
    EXPECT_EQ(decodeAll(coded, bit, true), packet);
}

/** A stream of packets as a game server sends them: many short ones, some long, random contents. */
Bytes recordedStream(std::mt19937& random, Bytes& plain, int packets)
{
    Bytes stream;
    for (int p = 0; p < packets; ++p) {
        Bytes packet(1 + random() % (p % 10 == 0 ? 300 : 20));
        for (uint8_t& byte : packet)
            byte = static_cast<uint8_t>(random() % 4 == 0 ? random() : random() % 8);
        plain.insert(plain.end(), packet.begin(), packet.end());
        const Bytes coded = testsupport::HuffmanEncode(packet);
        stream.insert(stream.end(), coded.begin(), coded.end());
    }
    return stream;
}

TEST(Huffman, EverySplitOfAStreamDecodesAsTheWhole)
{
    std::mt19937 random(12);
    Bytes plain;
    const Bytes stream = recordedStream(random, plain, 40);
    for (bool bitwise : {false, true}) {
        for (size_t cut = 0; cut <= stream.size(); ++cut)
            ASSERT_EQ(decodeInPieces(stream, {cut}, bitwise), plain) << "cut " << cut << (bitwise ? " bitwise" : "");
        std::vector<size_t> everyByte;
        for (size_t cut = 1; cut < stream.size(); ++cut)
            everyByte.push_back(cut);
        EXPECT_EQ(decodeInPieces(stream, everyByte, bitwise), plain);
    }
}

TEST(Huffman, FastDecoderMatchesTheReferenceOnAnyBytes)
{
    // Arbitrary bytes are a valid bit stream too (the code is complete): both decoders must agree
    // on every output byte and on the position, also with a small output buffer and a start bit.
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        Bytes raw(random() % 300);
        for (uint8_t& byte : raw)
            byte = static_cast<uint8_t>(random());
        const size_t capacity = random() % 3 == 0 ? random() % 20 : 4096;
        const size_t start = raw.empty() ? 0 : random() % 8;
        Bytes fast(capacity + 1, 0xAA), slow(capacity + 1, 0xAA);
        size_t fastLength = 0, slowLength = 0;
        const size_t fastBit = HuffmanDecode(raw.data(), raw.size(), start, fast.data(), fastLength, capacity);
        const size_t slowBit = HuffmanDecodeBitwise(raw.data(), raw.size(), start, slow.data(), slowLength, capacity);
        ASSERT_EQ(fastBit, slowBit) << round;
        ASSERT_EQ(fastLength, slowLength) << round;
        ASSERT_EQ(fast, slow) << round;
    }
}

TEST(Huffman, AFullOutputStopsAtOnceAndLeavesTheRestForLater)
{
    std::mt19937 random(3);
    Bytes plain;
    const Bytes stream = recordedStream(random, plain, 30);
    Bytes out(plain.size());
    size_t length = 0;
    const size_t half = plain.size() / 2;
    const size_t bit = HuffmanDecode(stream.data(), stream.size(), 0, out.data(), length, half);
    EXPECT_EQ(length, half);
    size_t rest = 0;
    Bytes tail(plain.size());
    HuffmanDecode(stream.data() + bit / 8, stream.size() - bit / 8, bit % 8, tail.data(), rest, tail.size());
    EXPECT_EQ(length + rest, plain.size());
    out.resize(half);
    out.insert(out.end(), tail.begin(), tail.begin() + static_cast<long>(rest));
    EXPECT_EQ(out, plain);
}

} // namespace
