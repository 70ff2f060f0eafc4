/** @file Block transform frames: kind 3 (compact code, flat macroblocks) and kind 4 (MPEG-1 intra codes, copies). */
#include "client/media/movie_codec.h"
#include "client/media/movie_mpeg_tables.h"

#include <algorithm>
#include <cmath>

namespace movie {

namespace {

/** Two's complement wrap of an intermediate to 32 bits, as the transform's registers would hold it. */
inline int32_t wrap(int64_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

std::array<int32_t, 64> buildBaseTable()
{
    std::array<int32_t, 64> t{};
    const double pi = std::acos(-1.0);
    auto a = [&](int k) { return k == 0 ? 1.0 : std::sqrt(2.0) * std::cos(k * pi / 16.0); };
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            t[static_cast<size_t>(8 * r + c)] = static_cast<int32_t>(std::lround(8192.0 / (a(r) * a(c))));
    return t;
}

// ---- kind 4 code look-up: one table indexed by the next 16 bits ----

enum : uint8_t { kCodeNone = 0, kCodeEnd = 1, kCodeEscape = 2, kCodeRunLevel = 3 };

struct CodeEntry {
    uint8_t kind;
    uint8_t length;
    uint8_t run;
    uint8_t level;
};

struct CodeTables {
    std::array<CodeEntry, 65536> coefficients{};
    std::array<uint8_t, 256> dcLumaSize{};   // size + 1, 0 for the pattern that begins no code
    std::array<uint8_t, 256> dcLumaLength{};
    std::array<uint8_t, 256> dcChromaSize{};
    std::array<uint8_t, 256> dcChromaLength{};

    CodeTables()
    {
        auto fill16 = [&](uint16_t bits, int length, CodeEntry e) {
            const int free = 16 - length;
            const uint32_t base = static_cast<uint32_t>(bits) << free;
            for (uint32_t i = 0; i < (1u << free); ++i)
                coefficients[base | i] = e;
        };
        fill16(kEndOfBlock.bits, kEndOfBlock.length, {kCodeEnd, kEndOfBlock.length, 0, 0});
        fill16(kEscape.bits, kEscape.length, {kCodeEscape, kEscape.length, 0, 0});
        for (const VlcCode& c : kCoefficientCodes)
            fill16(c.bits, c.length, {kCodeRunLevel, c.length, c.run, c.level});
        auto fill8 = [](std::array<uint8_t, 256>& sizes, std::array<uint8_t, 256>& lengths,
                        const std::array<VlcCode, 9>& codes) {
            for (const VlcCode& c : codes) {
                const int free = 8 - c.length;
                for (uint32_t i = 0; i < (1u << free); ++i) {
                    sizes[(static_cast<uint32_t>(c.bits) << free) | i] = static_cast<uint8_t>(c.run + 1);
                    lengths[(static_cast<uint32_t>(c.bits) << free) | i] = c.length;
                }
            }
        };
        fill8(dcLumaSize, dcLumaLength, kDcSizeLuma);
        fill8(dcChromaSize, dcChromaLength, kDcSizeChroma);
    }
};

const CodeTables& codeTables()
{
    static const CodeTables tables;
    return tables;
}

inline int signExtend(uint32_t v, int bits)
{
    const uint32_t sign = 1u << (bits - 1);
    return static_cast<int>((v ^ sign) - sign);
}

int32_t* blockPlace(MacroblockSamples& s, int block, int& pitch)
{
    if (block < 4) {
        pitch = 16;
        return s.luma + (block / 2) * 8 * 16 + (block % 2) * 8;
    }
    pitch = 8;
    return block == 4 ? s.cb : s.cr;
}

bool frameFits(const TransformHeader& h, const FrameTarget& target)
{
    return h.width > 0 && h.height > 0 && h.width % 16 == 0 && h.height % 16 == 0 && target.width == h.width &&
           target.height == h.height && target.pixels != nullptr;
}

} // namespace

const std::array<int32_t, 64>& TransformBaseTable()
{
    static const std::array<int32_t, 64> table = buildBaseTable();
    return table;
}

const std::array<uint8_t, 64>& TransformScanOrder()
{
    static const std::array<uint8_t, 64> scan = {
        0,  8,  1,  2,  9,  16, 24, 17, 10, 3,  4,  11, 18, 25, 32, 40, 33, 26, 19, 12, 5,  6,
        13, 20, 27, 34, 41, 48, 56, 49, 42, 35, 28, 21, 14, 7,  15, 22, 29, 36, 43, 50, 57, 58,
        51, 44, 37, 30, 23, 31, 38, 45, 52, 59, 60, 53, 46, 39, 47, 54, 61, 62, 55, 63};
    return scan;
}

const std::array<uint8_t, 64>& DefaultIntraMatrix()
{
    return kDefaultIntraMatrix;
}

void BuildKind3Quantiser(int quality, int32_t q[64])
{
    const int b = (22 * (100 - quality)) / 100 + 8;
    const int e = (50 * (100 - quality)) / 100 + 10 - b;
    const auto& t = TransformBaseTable();
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            q[8 * r + c] = wrap(int64_t{t[static_cast<size_t>(8 * r + c)]} * ((e * (r + c)) / 14 + b));
}

void BuildKind4Quantiser(int quality, int32_t q[64])
{
    const auto& t = TransformBaseTable();
    if (quality == 100) {
        for (int p = 0; p < 64; ++p) q[p] = 8 * t[static_cast<size_t>(p)];
    } else {
        const float f = static_cast<float>((107 - quality) * 0.0625);
        for (int p = 0; p < 64; ++p) {
            const float scaled = static_cast<float>(kDefaultIntraMatrix[static_cast<size_t>(p)]) * f * 65536.0f;
            const auto v = static_cast<int64_t>(scaled);
            q[p] = wrap((int64_t{t[static_cast<size_t>(p)]} * v + 32768) >> 16);
        }
    }
    q[0] = 65536;
}

bool ReadTransformHeader(const uint8_t* p, size_t length, TransformHeader& h)
{
    if (length < 8)
        return false;
    h.width = static_cast<int16_t>(p[0] | (p[1] << 8));
    h.height = static_cast<int16_t>(p[2] | (p[3] << 8));
    h.quality = p[4];
    h.flags = p[7];
    return true;
}

// ---- kind 3 ----

uint32_t LsbBitReader::peek16() const
{
    const size_t byte = position_ / 8;
    uint32_t v = 0;
    for (size_t i = 0; i < 3; ++i)
        if (byte + i < length_) v |= static_cast<uint32_t>(data_[byte + i]) << (8 * i);
    return (v >> (position_ % 8)) & 0xFFFF;
}

void ReadTransformBlock(LsbBitReader& reader, const int32_t q[64], int32_t coefficients[64])
{
    const auto& scan = TransformScanOrder();
    auto at = [&](int k) -> int32_t& { return coefficients[scan[static_cast<size_t>(k)]]; };
    const int d = static_cast<int8_t>(reader.peek16() & 0xFF);
    reader.skip(8);
    coefficients[0] = wrap(int64_t{d} * q[0]);
    int k = 1;
    while (k < 64) {
        const uint32_t g16 = reader.peek16();
        const uint32_t g = g16 & 0xFF;
        const int pos = scan[static_cast<size_t>(k)];
        if (g == 0xFF) {
            at(k) = wrap(int64_t{static_cast<int8_t>(g16 >> 8)} * q[pos]);
            ++k;
            reader.skip(16);
            continue;
        }
        switch (g & 7) {
        case 0:
            at(k++) = 0;
            reader.skip(3);
            break;
        case 4:
            at(k++) = 0;
            if (k < 64) at(k++) = 0;
            reader.skip(3);
            break;
        case 2:
            at(k++) = q[pos];
            reader.skip(3);
            break;
        case 6:
            at(k++) = wrap(-int64_t{q[pos]});
            reader.skip(3);
            break;
        case 1:
        case 5: {
            int n = static_cast<int>((g >> 2) & 0x3F);
            if (n == 0) n = 64; // no valid stream codes an empty run: end the block
            for (int i = 0; i < n && k < 64; ++i) at(k++) = 0;
            reader.skip(8);
            break;
        }
        default: { // 3, 7: a level of six bits
            const int level = signExtend((g >> 2) & 0x3F, 6);
            at(k++) = wrap(int64_t{level} * q[pos]);
            reader.skip(8);
            break;
        }
        }
    }
}

bool DecodeTransformFrame(MovieCodecWorkArea& work, const uint8_t* payload, size_t length,
                          const FrameTarget& current, bool wide)
{
    TransformHeader h;
    if (!ReadTransformHeader(payload, length, h) || !frameFits(h, current))
        return false;
    BuildKind3Quantiser(h.quality, work.q);
    const int unit = wide ? 2 : 1;
    size_t pos = 8;
    for (int y = 0; y < h.height; y += 16) {
        for (int x = 0; x < h.width; x += 16) {
            if (pos >= length)
                return true;
            const size_t m = payload[pos];
            const size_t available = std::min(m, length - pos - 1);
            const uint8_t* data = payload + pos + 1;
            uint16_t* dst = current.pixels + static_cast<size_t>(y) * static_cast<size_t>(current.pitch) +
                            static_cast<size_t>(x * unit);
            if (m >= 13) {
                LsbBitReader reader(data, available);
                for (int b = 0; b < 6; ++b) {
                    ReadTransformBlock(reader, work.q, work.coefficients);
                    int pitch = 0;
                    int32_t* place = blockPlace(work.samples, b, pitch);
                    InverseTransform(work.coefficients, place, pitch);
                }
                if (wide)
                    ConvertMacroblockWide(work.colour, work.samples, dst, current.pitch);
                else
                    ConvertMacroblock(work.colour, work.samples, dst, current.pitch);
            } else if ((m == 3 || m == 6 || m == 12) && available == m) {
                int8_t values[6];
                for (int i = 0; i < 6; ++i) {
                    size_t from = 0;
                    if (m == 3) from = i < 4 ? 0 : static_cast<size_t>(i - 3);
                    else if (m == 6) from = static_cast<size_t>(i);
                    else from = static_cast<size_t>(2 * i);
                    values[i] = static_cast<int8_t>(data[from]);
                }
                if (wide)
                    FillFlatMacroblockWide(work.colour, values, work.q[0], dst, current.pitch);
                else
                    FillFlatMacroblock(work.colour, values, work.q[0], dst, current.pitch);
            }
            pos += m + 1;
        }
    }
    return true;
}

// ---- kind 4 ----

bool CopyMacroblock(const FrameTarget& current, const uint16_t* previous, int x0, int y0, int x, int y, bool wide)
{
    const int sx = x0 - x;
    const int sy = y0 - y;
    if (sx < 0 || sy < 0 || sx + 16 > current.width || sy + 16 > current.height)
        return false;
    const int unit = wide ? 2 : 1;
    const size_t rowLength = static_cast<size_t>(current.width) * static_cast<size_t>(unit);
    for (int r = 0; r < 16; ++r) {
        const uint16_t* from = previous + static_cast<size_t>(sy + r) * rowLength + static_cast<size_t>(sx * unit);
        uint16_t* to = current.pixels + static_cast<size_t>(y0 + r) * rowLength + static_cast<size_t>(x0 * unit);
        std::copy(from, from + 16 * unit, to);
    }
    return true;
}

uint32_t MsbBitReader::word(size_t index) const
{
    const size_t at = index * 4;
    uint32_t v = 0;
    if (at + 4 <= length_) {
        v = static_cast<uint32_t>(data_[at]) | (static_cast<uint32_t>(data_[at + 1]) << 8) |
            (static_cast<uint32_t>(data_[at + 2]) << 16) | (static_cast<uint32_t>(data_[at + 3]) << 24);
    } else {
        for (size_t i = 0; at + i < length_ && i < 4; ++i) v |= static_cast<uint32_t>(data_[at + i]) << (8 * i);
    }
    return v;
}

uint32_t MsbBitReader::peek32() const
{
    const size_t index = position_ >> 5;
    const unsigned shift = static_cast<unsigned>(position_ & 31);
    const uint64_t both = (static_cast<uint64_t>(word(index)) << 32) | word(index + 1);
    return static_cast<uint32_t>((both << shift) >> 32);
}

uint32_t MsbBitReader::read(unsigned bits)
{
    if (bits == 0)
        return 0;
    const uint32_t v = peek32() >> (32 - bits);
    position_ += bits;
    return v;
}

int ReadMacroblockCopy(MsbBitReader& reader, int& x, int& y)
{
    if (reader.read(1) == 0)
        return 0;
    reader.skip(1);
    x = signExtend(reader.read(4), 4);
    y = signExtend(reader.read(4), 4);
    return 1;
}

int ReadDcSize(MsbBitReader& reader, bool chroma)
{
    const CodeTables& t = codeTables();
    const uint32_t next = reader.peek32() >> 24;
    const uint8_t size = chroma ? t.dcChromaSize[next] : t.dcLumaSize[next];
    if (size == 0)
        return 0; // the pattern of all ones begins no code: size 0, no bits used
    reader.skip(chroma ? t.dcChromaLength[next] : t.dcLumaLength[next]);
    return size - 1;
}

void ReadIntraCoefficients(MsbBitReader& reader, const int32_t q[64], int32_t coefficients[64])
{
    const CodeTables& t = codeTables();
    const auto& scan = TransformScanOrder();
    std::fill(coefficients + 1, coefficients + 64, 0);
    int k = 0;
    for (;;) {
        const uint32_t bits = reader.peek32();
        if ((bits >> 20) == 0)
            return; // twelve zero bits begin no code
        const CodeEntry& e = t.coefficients[bits >> 16];
        int run = 0;
        int level = 0;
        if (e.kind == kCodeEnd) {
            reader.skip(e.length);
            return;
        }
        if (e.kind == kCodeEscape) {
            reader.skip(6);
            run = static_cast<int>(reader.read(6));
            const uint32_t field = reader.read(8);
            if (field == 0)
                level = static_cast<int>(reader.read(8));
            else if (field == 128)
                level = static_cast<int>(reader.read(8)) - 256;
            else
                level = static_cast<int8_t>(field);
        } else {
            reader.skip(e.length);
            run = e.run;
            level = reader.read(1) ? -e.level : e.level;
        }
        k += run + 1;
        if (k > 63)
            return; // more than 63 coefficients: the block ends
        const int pos = scan[static_cast<size_t>(k)];
        coefficients[pos] = wrap(int64_t{level} * q[pos]);
    }
}

void ReadIntraBlocks(MsbBitReader& reader, MovieCodecWorkArea& work)
{
    for (int b = 0; b < 6; ++b) {
        const bool chroma = b >= 4;
        const int size = ReadDcSize(reader, chroma);
        int difference = 0;
        if (size > 0) {
            const auto v = static_cast<int>(reader.read(static_cast<unsigned>(size)));
            difference = (v >> (size - 1)) != 0 ? v : v - ((1 << size) - 1);
        }
        int32_t& predictor = work.predictors[chroma ? b - 3 : 0];
        predictor = wrap(int64_t{predictor} + difference);
        work.coefficients[0] = wrap(int64_t{predictor} * work.q[0]);
        ReadIntraCoefficients(reader, work.q, work.coefficients);
        int pitch = 0;
        int32_t* place = blockPlace(work.samples, b, pitch);
        InverseTransform(work.coefficients, place, pitch);
    }
}

bool DecodeIntraFrame(MovieCodecWorkArea& work, const uint8_t* payload, size_t length, const FrameTarget& current,
                      const uint16_t* previous, bool wide)
{
    TransformHeader h;
    if (!ReadTransformHeader(payload, length, h) || !frameFits(h, current))
        return false;
    BuildKind4Quantiser(h.quality, work.q);
    work.predictors[0] = work.predictors[1] = work.predictors[2] = 0;
    MsbBitReader reader(payload + 8, length - 8);
    const bool copies = (h.flags & 1) == 0;
    const bool clamped = (h.flags & 2) != 0;
    const int unit = wide ? 2 : 1;
    for (int y = 0; y < h.height; y += 16) {
        for (int x = 0; x < h.width; x += 16) {
            if (reader.exhausted())
                return true; // a cut frame keeps the rest of the picture
            int cx = 0;
            int cy = 0;
            if (copies && ReadMacroblockCopy(reader, cx, cy)) {
                if (previous != nullptr)
                    CopyMacroblock(current, previous, x, y, cx, cy, wide);
                continue;
            }
            ReadIntraBlocks(reader, work);
            uint16_t* dst = current.pixels + static_cast<size_t>(y) * static_cast<size_t>(current.pitch) +
                            static_cast<size_t>(x * unit);
            if (clamped) {
                if (wide) ConvertMacroblockClampedWide(work.colour, work.samples, dst, current.pitch);
                else ConvertMacroblockClamped(work.colour, work.samples, dst, current.pitch);
            } else {
                if (wide) ConvertMacroblockWide(work.colour, work.samples, dst, current.pitch);
                else ConvertMacroblock(work.colour, work.samples, dst, current.pitch);
            }
        }
    }
    return true;
}

} // namespace movie
