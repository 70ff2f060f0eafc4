// The movie's sound chunks: the header records and the three decoders.
#include "client/media/movie_sound.h"
#include "tests/support/movie_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace movie;

namespace {

std::vector<int16_t> decodeChunk(const AudioFormat& f, AdpcmState& s, const formats::Bytes& payload)
{
    const size_t bytes = DecodedAudioLength(f, payload.data(), payload.size());
    std::vector<int16_t> out(bytes / 2);
    EXPECT_EQ(DecodeMovieAudioChunk(f, s, payload.data(), payload.size(), reinterpret_cast<uint8_t*>(out.data())),
              bytes);
    return out;
}

AudioFormat format(int channels, int compression)
{
    AudioFormat f;
    f.channels = channels;
    f.compression = compression;
    return f;
}

std::vector<int16_t> tone(size_t frames, int channels, double amplitude)
{
    std::vector<int16_t> out;
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out.push_back(static_cast<int16_t>(amplitude * std::sin(0.05 * static_cast<double>(i) + c)));
    return out;
}

double rmsError(const std::vector<int16_t>& a, const std::vector<int16_t>& b)
{
    double sum = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) sum += (a[i] - b[i]) * static_cast<double>(a[i] - b[i]);
    return std::sqrt(sum / static_cast<double>(a.size()));
}

} // namespace

TEST(MovieSoundHeader, RecordsAndBounds)
{
    AudioFormat f;
    const formats::Bytes header = formats::movieAudioHeader(2, 44100, 7, 8);
    ParseMovieAudioHeader(header.data(), header.size(), f);
    EXPECT_EQ(f.channels, 2);
    EXPECT_EQ(f.rate, 44100);
    EXPECT_EQ(f.compression, 7);
    EXPECT_EQ(f.sampleSize, 8);
    // The kind is signed: one byte 0xFF is -1, which stores nothing.
    formats::Bytes negative = {'P', 'T', 0, 0, 0xFD, 0x83, 1, 0xFF, 0x8A, 0};
    ParseMovieAudioHeader(negative.data(), negative.size(), f);
    EXPECT_EQ(f.compression, -1);
    EXPECT_EQ(f.channels, 1); // the defaults of the header kind
    EXPECT_EQ(DecodedAudioLength(f, negative.data(), negative.size()), 0u);
    // Records that run past the payload, and no 0xFD at all, stop the reader inside it.
    formats::Bytes runaway = {'P', 'T', 0, 0, 0x01, 0xF0, 1, 2};
    ParseMovieAudioHeader(runaway.data(), runaway.size(), f);
    formats::Bytes cut = {'P', 'T', 0, 0, 0xFD, 0x84, 9, 1, 2};
    ParseMovieAudioHeader(cut.data(), cut.size(), f);
    EXPECT_EQ(f.rate, 22050);
    EXPECT_EQ(SeadAudioFormat().channels, 2);
    EXPECT_EQ(SeadAudioFormat().compression, 10);
}

TEST(MovieSoundPcm, MonoStereoAndCountsBeyondThePayload)
{
    AdpcmState s;
    const std::vector<int16_t> mono = {1, -2, 300, -32768};
    EXPECT_EQ(decodeChunk(format(1, 0), s, formats::encodePcmChunk(mono, 1)),
              (std::vector<int16_t>{1, 1, -2, -2, 300, 300, -32768, -32768}));
    const std::vector<int16_t> stereo = {5, 6, 7, 8};
    EXPECT_EQ(decodeChunk(format(2, 0), s, formats::encodePcmChunk(stereo, 2)), stereo);
    formats::Bytes lying = formats::encodePcmChunk(mono, 1);
    lying[0] = 0xFF; // 255 samples announced, 4 present
    EXPECT_EQ(decodeChunk(format(1, 0), s, lying).size(), 8u);
    lying[3] = 0x20; // the count bit that copies nothing
    EXPECT_TRUE(decodeChunk(format(1, 0), s, lying).empty());
}

TEST(MovieSoundBlockAdpcm, HandComputedBlocks)
{
    // Filter 0: ((code << (20 - s)) + 128) >> 8, clamped. Shift 12: code * 256 + 128 >> 8 = code.
    uint8_t block[15] = {0x0C, 0x7F, 0x81};
    int32_t current = 0, previous = 0;
    int16_t out[56];
    DecodeAdpcmBlockMono(block, current, previous, out);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 7);
    EXPECT_EQ(out[2], -1);
    EXPECT_EQ(out[4], -8);
    EXPECT_EQ(out[6], 1);
    // Shift 0: 7 << 20 >> 8 = 28672; -8 << 20 >> 8 = -32768.
    block[0] = 0x00;
    current = previous = 0;
    DecodeAdpcmBlockMono(block, current, previous, out);
    EXPECT_EQ(out[0], 28672);
    EXPECT_EQ(out[4], -32768);
    // Filters 1..3 with a known state: new = (c1 * cur + c2 * prev + d + 128) >> 8.
    struct Case {
        int filter, c1, c2;
    } cases[] = {{1, 240, 0}, {2, 460, -208}, {3, 392, -220}};
    for (const Case& c : cases) {
        uint8_t b[15] = {static_cast<uint8_t>(c.filter << 4 | 12), 0x30};
        int32_t cur = 1000, prev = -500;
        DecodeAdpcmBlockMono(b, cur, prev, out);
        const int first = (c.c1 * 1000 + c.c2 * -500 + 3 * 256 + 128) >> 8;
        EXPECT_EQ(out[0], first) << c.filter;
        EXPECT_EQ(out[2], (c.c1 * first + c.c2 * 1000 + 128) >> 8) << c.filter;
    }
    // Stereo: left filter and shift in the high nibbles, codes high nibble left.
    uint8_t stereo[30] = {0x00, 0xC0, 0x1F};
    AdpcmState st;
    DecodeAdpcmBlockStereo(stereo, st, out);
    EXPECT_EQ(out[0], 1);      // left: shift 12, code 1
    EXPECT_EQ(out[1], -4096);  // right: shift 0, code -1: (-1 << 20) + 128 >> 8
}

TEST(MovieSoundBlockAdpcm, ChunkLengthsAndRoundTrip)
{
    for (int channels : {1, 2}) {
        formats::BlockAdpcmEncoder encoder;
        const std::vector<int16_t> input = tone(28 * 5, channels, 9000);
        formats::Bytes payload = formats::encodeBlockAdpcmChunk(input, channels, encoder);
        const size_t block = channels == 2 ? 30 : 15;
        EXPECT_EQ(payload.size(), 12 + 5 * block);
        payload.insert(payload.end(), block - 1, 0); // trailing bytes short of a block are ignored
        AdpcmState s;
        const std::vector<int16_t> out = decodeChunk(format(channels, 7), s, payload);
        ASSERT_EQ(out.size(), 28u * 5 * 2);
        std::vector<int16_t> stereoInput;
        for (size_t i = 0; i < 28 * 5; ++i)
            for (int c = 0; c < 2; ++c) stereoInput.push_back(input[i * static_cast<size_t>(channels) + (channels == 2 ? c : 0)]);
        EXPECT_LT(rmsError(out, stereoInput), 300) << channels;
        // The state carried to the next chunk is the last block's.
        EXPECT_EQ(s.leftCurrent, out[out.size() - 2]);
    }
}

TEST(MovieSoundIma, StandardStepsAndRoundTrip)
{
    // From silence at index 0: nibble 7 adds 7/8 + 7 + 3 + 1 = 11 and moves the index by 8.
    uint8_t data[2] = {0x7F, 0x08};
    uint32_t left = 0, right = 0;
    int16_t out[4];
    DecodeImaAdpcmStereo(data, 2, left, right, out);
    EXPECT_EQ(out[0], 11);
    EXPECT_EQ(out[1], -11);
    // Index 8 has step 16: nibble 0 adds 2 and moves the index down by 1.
    EXPECT_EQ(out[2], 13);
    EXPECT_EQ(left >> 16, 7u);
    EXPECT_EQ(static_cast<int16_t>(left & 0xFFFF), 13);
    // The index is held within 0..88 and the sample to 16 bits.
    uint32_t high = (88u << 16) | 32000u;
    uint32_t low = 0;
    uint8_t up[1] = {0x77};
    DecodeImaAdpcmStereo(up, 1, high, low, out);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(high >> 16, 88u);
    formats::ImaEncoder encoder;
    const std::vector<int16_t> input = tone(2000, 2, 12000);
    AdpcmState s;
    const std::vector<int16_t> decoded = decodeChunk(format(2, 10), s, formats::encodeImaChunk(input, encoder));
    EXPECT_EQ(decoded.size(), input.size());
    EXPECT_LT(rmsError(decoded, input), 600); // the step starts small: the first frames lag
    EXPECT_EQ(s.imaLeft, encoder.left);
    EXPECT_EQ(s.imaRight, encoder.right);
}
