/** @file The movie's audio header and chunk decoders. */
#include "client/media/movie_sound.h"

#include <algorithm>
#include <array>

namespace movie {

namespace {

constexpr std::array<int, 89> kImaSteps = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr std::array<int, 8> kImaIndexChange = {-1, -1, -1, -1, 2, 4, 6, 8};

constexpr int kCoefficient1[4] = {0, 240, 460, 392};
constexpr int kCoefficient2[4] = {0, 0, -208, -220};

uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

int16_t clamp16(int32_t v)
{
    return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

} // namespace

int16_t BlockAdpcmStep(int code, int filter, int shift, int32_t& current, int32_t& previous)
{
    code &= 15;
    if (filter > 3)
        filter = 0;
    const int32_t d = static_cast<int32_t>(static_cast<uint32_t>((code ^ 8) - 8) << (20 - shift));
    const int32_t value =
        clamp16((kCoefficient1[filter] * current + kCoefficient2[filter] * previous + d + 128) >> 8);
    previous = current;
    current = value;
    return static_cast<int16_t>(value);
}

int ImaAdpcmStepSize(int index)
{
    return kImaSteps[static_cast<size_t>(std::clamp(index, 0, 88))];
}

int16_t ImaAdpcmStep(int nibble, uint32_t& state)
{
    int32_t sample = static_cast<int16_t>(state & 0xFFFF);
    int index = std::clamp(static_cast<int>(static_cast<int16_t>(state >> 16)), 0, 88);
    const int step = kImaSteps[static_cast<size_t>(index)];
    int diff = step >> 3;
    if (nibble & 4) diff += step;
    if (nibble & 2) diff += step >> 1;
    if (nibble & 1) diff += step >> 2;
    sample = clamp16((nibble & 8) ? sample - diff : sample + diff);
    index = std::clamp(index + kImaIndexChange[static_cast<size_t>(nibble & 7)], 0, 88);
    state = (static_cast<uint32_t>(index) << 16) | static_cast<uint16_t>(sample);
    return static_cast<int16_t>(sample);
}

namespace {

size_t pcmFrames(const AudioFormat& f, const uint8_t* p, size_t length)
{
    if (length < 4)
        return 0;
    const uint32_t n = le32(p);
    if (n & 0x20000000u)
        return 0; // a count marked this way copies no samples
    return std::min<size_t>(n, (length - 4) / (2 * static_cast<size_t>(f.channels == 2 ? 2 : 1)));
}

void putLe16(uint8_t* out, int16_t v)
{
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
}

} // namespace

AudioFormat SeadAudioFormat()
{
    AudioFormat f;
    f.channels = 2;
    f.compression = 10;
    return f;
}

void ParseMovieAudioHeader(const uint8_t* p, size_t length, AudioFormat& f)
{
    f = AudioFormat{};
    size_t at = 4;
    while (at < length && p[at] != 0xFD) {
        if (at + 1 >= length)
            return;
        at += 2 + p[at + 1];
    }
    if (at >= length)
        return;
    ++at; // the 0xFD tag
    while (at + 1 < length) {
        const uint8_t tag = p[at];
        const size_t size = p[at + 1];
        at += 2;
        if (tag == 0x8A)
            return;
        if (size > length - at)
            return;
        int64_t value = 0;
        for (size_t i = 0; i < size; ++i) value = (value << 8) | p[at + i];
        if (tag == 0x83 && size >= 1 && size <= 3 && (p[at] & 0x80))
            value -= int64_t{1} << (8 * size); // the kind is signed
        const int v = static_cast<int>(value);
        switch (tag) {
        case 0x81: f.sampleSize = v; break;
        case 0x82: f.channels = v; break;
        case 0x83: f.compression = v; break;
        case 0x84: f.rate = v; break;
        default: break;
        }
        at += size;
    }
}

size_t DecodedAudioLength(const AudioFormat& f, const uint8_t* p, size_t length)
{
    switch (f.compression) {
    case 0: return pcmFrames(f, p, length) * 4;
    case 7:
        if (length < 12) return 0;
        return (length - 12) / (f.channels == 2 ? 30 : 15) * 112;
    case 10: return length * 4;
    default: return 0;
    }
}

size_t DecodeMovieAudioChunk(const AudioFormat& f, AdpcmState& s, const uint8_t* p, size_t length, uint8_t* out)
{
    const size_t bytes = DecodedAudioLength(f, p, length);
    if (bytes == 0)
        return 0;
    auto* samples = reinterpret_cast<int16_t*>(out);
    int16_t frame[56 * 2];
    switch (f.compression) {
    case 0: {
        const size_t n = bytes / 4;
        const uint8_t* in = p + 4;
        if (f.channels == 2) {
            std::copy(in, in + n * 4, out);
        } else {
            for (size_t i = 0; i < n; ++i) {
                out[4 * i] = out[4 * i + 2] = in[2 * i];
                out[4 * i + 1] = out[4 * i + 3] = in[2 * i + 1];
            }
        }
        return bytes;
    }
    case 7: {
        s.leftCurrent = static_cast<int16_t>(p[4] | (p[5] << 8));
        s.leftPrevious = static_cast<int16_t>(p[6] | (p[7] << 8));
        s.rightCurrent = static_cast<int16_t>(p[8] | (p[9] << 8));
        s.rightPrevious = static_cast<int16_t>(p[10] | (p[11] << 8));
        const bool stereo = f.channels == 2;
        const size_t blockSize = stereo ? 30 : 15;
        const size_t blocks = bytes / 112;
        for (size_t b = 0; b < blocks; ++b) {
            const uint8_t* block = p + 12 + b * blockSize;
            if (stereo)
                DecodeAdpcmBlockStereo(block, s, frame);
            else
                DecodeAdpcmBlockMono(block, s.leftCurrent, s.leftPrevious, frame);
            for (int i = 0; i < 56; ++i) putLe16(out + b * 112 + 2 * static_cast<size_t>(i), frame[i]);
        }
        return bytes;
    }
    case 10: {
        for (size_t i = 0; i < length; i += 28) {
            const size_t n = std::min<size_t>(28, length - i);
            DecodeImaAdpcmStereo(p + i, n, s.imaLeft, s.imaRight, frame);
            for (size_t j = 0; j < 2 * n; ++j) putLe16(out + 4 * i + 2 * j, frame[j]);
        }
        return bytes;
    }
    default: break;
    }
    (void)samples;
    return 0;
}

void DecodeAdpcmBlockMono(const uint8_t* block, int32_t& current, int32_t& previous, int16_t* out)
{
    const int filter = block[0] >> 4;
    const int shift = block[0] & 0x0F;
    for (int i = 0; i < 28; ++i) {
        const uint8_t byte = block[1 + i / 2];
        const int code = (i % 2 == 0) ? byte >> 4 : byte & 0x0F;
        const int16_t v = BlockAdpcmStep(code, filter, shift, current, previous);
        out[2 * i] = v;
        out[2 * i + 1] = v;
    }
}

void DecodeAdpcmBlockStereo(const uint8_t* block, AdpcmState& s, int16_t* out)
{
    const int leftFilter = block[0] >> 4;
    const int rightFilter = block[0] & 0x0F;
    const int leftShift = block[1] >> 4;
    const int rightShift = block[1] & 0x0F;
    for (int i = 0; i < 28; ++i) {
        const uint8_t byte = block[2 + i];
        out[2 * i] = BlockAdpcmStep(byte >> 4, leftFilter, leftShift, s.leftCurrent, s.leftPrevious);
        out[2 * i + 1] = BlockAdpcmStep(byte & 0x0F, rightFilter, rightShift, s.rightCurrent, s.rightPrevious);
    }
}

void DecodeImaAdpcmStereo(const uint8_t* data, size_t length, uint32_t& left, uint32_t& right, int16_t* out)
{
    for (size_t i = 0; i < length; ++i) {
        out[2 * i] = ImaAdpcmStep(data[i] >> 4, left);
        out[2 * i + 1] = ImaAdpcmStep(data[i] & 0x0F, right);
    }
}

} // namespace movie
