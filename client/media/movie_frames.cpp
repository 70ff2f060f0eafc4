/** @file Palettised frames: key frames (LZ-packed pictures) and delta frames (4 x 4 block copies). */
#include "client/media/movie_codec.h"

#include <algorithm>
#include <cstring>

namespace movie {

namespace {

uint32_t le16(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
}

/** Reads count values of w bits from bit 0 upwards into a callback; zero bits past the end. */
template <typename Sink>
void readPackedBits(const uint8_t* bits, size_t length, size_t count, int w, Sink sink)
{
    size_t bit = 0;
    const uint64_t mask = w >= 64 ? ~uint64_t{0} : ((uint64_t{1} << w) - 1);
    for (size_t i = 0; i < count; ++i, bit += static_cast<size_t>(w)) {
        const size_t byte = bit / 8;
        uint64_t v = 0;
        for (size_t j = 0; j < 5; ++j)
            if (byte + j < length) v |= static_cast<uint64_t>(bits[byte + j]) << (8 * j);
        sink(i, static_cast<uint32_t>((v >> (bit % 8)) & mask));
    }
}

constexpr int kMaxDimension = 4096;

} // namespace

bool ReadKeyFrameHeader(const uint8_t* p, size_t length, KeyFrameHeader& h)
{
    if (length < 12)
        return false;
    h.width = static_cast<int>(le16(p));
    h.height = static_cast<int>(le16(p + 2));
    h.paletteCount = static_cast<int>(le16(p + 6));
    if (h.paletteCount > 256 || 12 + 3 * static_cast<size_t>(h.paletteCount) > length)
        return false;
    h.pictureOffset = 12 + 3 * static_cast<size_t>(h.paletteCount);
    return true;
}

void ApplyKeyFramePalette(PaletteFrameState& state, const uint8_t* payload, const KeyFrameHeader& h, int brightness)
{
    for (int i = 0; i < 3 * h.paletteCount; ++i)
        state.palette[i] = static_cast<uint8_t>(std::min(payload[12 + i] * brightness / 100, 255));
}

size_t UnpackLz(const uint8_t* src, size_t length, uint8_t* out, size_t capacity, bool decode, size_t* written)
{
    if (written != nullptr)
        *written = 0;
    if (length < 5)
        return 0;
    const size_t header = (src[0] & 1) != 0 ? 8 : 5;
    if (length < header)
        return 0;
    const size_t size = (static_cast<size_t>(src[header - 3]) << 16) | (static_cast<size_t>(src[header - 2]) << 8) |
                        src[header - 1];
    if (!decode)
        return size;
    size_t in = header;
    size_t o = 0;
    auto literals = [&](size_t n) {
        n = std::min({n, length - in, capacity - o});
        std::memcpy(out + o, src + in, n);
        in += n;
        o += n;
        return n;
    };
    bool ok = true;
    while (ok && in < length) {
        const uint32_t b0 = src[in];
        size_t literalCount = 0;
        size_t matchLength = 0;
        size_t distance = 0;
        size_t commandBytes = 1;
        bool end = false;
        if (b0 < 0x80) {
            commandBytes = 2;
        } else if (b0 < 0xC0) {
            commandBytes = 3;
        } else if (b0 < 0xE0) {
            commandBytes = 4;
        }
        if (length - in < commandBytes)
            break;
        const uint32_t b1 = commandBytes > 1 ? src[in + 1] : 0;
        const uint32_t b2 = commandBytes > 2 ? src[in + 2] : 0;
        const uint32_t b3 = commandBytes > 3 ? src[in + 3] : 0;
        if (b0 < 0x80) {
            literalCount = b0 & 3;
            matchLength = ((b0 >> 2) & 7) + 3;
            distance = ((b0 >> 5) * 256 + b1) + 1;
        } else if (b0 < 0xC0) {
            literalCount = b1 >> 6;
            matchLength = (b0 & 0x3F) + 4;
            distance = ((b1 & 0x3F) * 256 + b2) + 1;
        } else if (b0 < 0xE0) {
            literalCount = b0 & 3;
            matchLength = ((b0 >> 2) & 3) * 256 + b3 + 5;
            distance = ((b0 >> 4) & 1) * 65536 + b1 * 256 + b2 + 1;
        } else if (b0 < 0xFC) {
            literalCount = ((b0 & 0x1F) + 1) * 4;
        } else {
            literalCount = b0 & 3;
            end = true;
        }
        in += commandBytes;
        if (literals(literalCount) < literalCount)
            break; // cut input or full output
        if (end)
            break;
        if (matchLength > 0) {
            if (distance > o) {
                ok = false; // a match reaching before the start of the picture
                break;
            }
            const size_t n = std::min(matchLength, capacity - o);
            for (size_t i = 0; i < n; ++i, ++o) out[o] = out[o - distance];
            if (n < matchLength)
                break;
        }
    }
    if (written != nullptr)
        *written = o;
    return size;
}

bool DecodeKeyFrame(PaletteFrameState& s, const uint8_t* payload, size_t length, const KeyFrameHeader& h)
{
    if (h.width <= 0 || h.height <= 0 || h.width > kMaxDimension || h.height > kMaxDimension)
        return false;
    const size_t pixels = static_cast<size_t>(h.width) * static_cast<size_t>(h.height);
    const size_t pictureSize = (pixels + 15) & ~size_t{15};
    s.width = h.width;
    s.height = h.height;
    for (auto& picture : s.pictures) picture.assign(pictureSize, 0);
    s.current = 0;
    s.rowOffsets.resize(2 * static_cast<size_t>(h.height));
    for (int i = 0; i < 2 * h.height; ++i)
        s.rowOffsets[static_cast<size_t>(i)] = (i - h.height) * h.width;
    s.blockMap.assign(pictureSize / 16 + 1, 0);
    UnpackLz(payload + h.pictureOffset, length - h.pictureOffset, s.currentPicture(), pixels, true);
    s.haveKeyFrame = true;
    return true;
}

void UnpackBlockMap(uint32_t* map, const uint8_t* bits, size_t length, size_t count, int w)
{
    if (w <= 0) {
        std::fill(map, map + count, 0u);
        return;
    }
    readPackedBits(bits, length, count, w, [&](size_t i, uint32_t v) { map[i] = v; });
}

bool DecodeDeltaFrame(PaletteFrameState& s, const uint8_t* p, size_t length)
{
    if (!s.haveKeyFrame || length < 12)
        return false;
    s.current ^= 1;
    const uint8_t* reference = s.pictures[s.current ^ 1].data();
    uint8_t* picture = s.currentPicture();
    const size_t m = le16(p);
    const size_t k = le16(p + 2);
    const size_t n = le16(p + 4);
    const int w = static_cast<int>(le16(p + 6));
    if (w > 32)
        return false;
    const size_t vectorBytes = ((20 * m + 31) / 8) & ~size_t{3};
    const size_t blocksAt = 12 + vectorBytes;
    const size_t patternsAt = blocksAt + 16 * k;
    const size_t mapAt = patternsAt + 8 * n;
    if (mapAt > length)
        return false;

    const int width = s.width;
    const int height = s.height;
    s.vectorOffsets.resize(m);
    bool vectorsValid = true;
    readPackedBits(p + 12, vectorBytes, 2 * m, 10, [&](size_t i, uint32_t v) {
        const int value = (static_cast<int>(v) ^ 0x200) - 0x200;
        if (i % 2 == 0) {
            s.vectorOffsets[i / 2] = value; // dx for now
        } else {
            if (value < -height || value >= height) {
                vectorsValid = false;
                return;
            }
            s.vectorOffsets[i / 2] += s.rowOffsets[static_cast<size_t>(value + height)];
        }
    });
    if (!vectorsValid)
        return false;

    s.blocks.resize(16 * (k + n));
    if (k > 0) // an empty list may have no storage at all
        std::memcpy(s.blocks.data(), p + blocksAt, 16 * k);
    for (size_t b = 0; b < n; ++b) {
        const uint8_t* src = p + patternsAt + 8 * b;
        const uint32_t pattern = static_cast<uint32_t>(src[4]) | (static_cast<uint32_t>(src[5]) << 8) |
                                 (static_cast<uint32_t>(src[6]) << 16) | (static_cast<uint32_t>(src[7]) << 24);
        uint8_t* block = s.blocks.data() + 16 * (k + b);
        for (int j = 0; j < 16; ++j) block[j] = src[(pattern >> (30 - 2 * j)) & 3];
    }

    const size_t columns = static_cast<size_t>(width / 4);
    const size_t rows = static_cast<size_t>(height / 4);
    const size_t count = columns * rows;
    if (s.blockMap.size() < count)
        s.blockMap.resize(count);
    if (w * count != 0)
        UnpackBlockMap(s.blockMap.data(), p + mapAt, length - mapAt, count, w);
    else
        std::fill(s.blockMap.begin(), s.blockMap.end(), 0u);

    const auto pictureBytes = static_cast<int64_t>(width) * height;
    for (size_t by = 0; by < rows; ++by) {
        for (size_t bx = 0; bx < columns; ++bx) {
            const uint32_t e = s.blockMap[by * columns + bx];
            const int64_t at = static_cast<int64_t>(by * 4) * width + static_cast<int64_t>(bx * 4);
            uint8_t* to = picture + at;
            if (e < m) {
                const int64_t from = at + s.vectorOffsets[e];
                if (from < 0 || from + 3 * int64_t{width} + 4 > pictureBytes)
                    continue; // a vector out of the picture leaves the block as it was
                for (int r = 0; r < 4; ++r)
                    std::memcpy(to + r * width, reference + from + r * width, 4);
            } else if (e - m < k + n) {
                const uint8_t* block = s.blocks.data() + 16 * (e - m);
                for (int r = 0; r < 4; ++r) std::memcpy(to + r * width, block + 4 * r, 4);
            }
        }
    }
    return true;
}

void BuildColourTable(PaletteFrameState& s, const DisplayFormat& f)
{
    for (int i = 0; i < 256; ++i) {
        const uint32_t pixel = (static_cast<uint32_t>(s.palette[3 * i] >> (8 - f.redBits)) << f.redShift) |
                               (static_cast<uint32_t>(s.palette[3 * i + 1] >> (8 - f.greenBits)) << f.greenShift) |
                               (static_cast<uint32_t>(s.palette[3 * i + 2] >> (8 - f.blueBits)) << f.blueShift);
        s.colourTable[i] = f.wide ? (pixel | (pixel << 16)) : pixel;
    }
}

} // namespace movie
