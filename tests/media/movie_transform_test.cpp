// Transform frames: tables, the integer transform, the MPEG-1 intra codes, kinds 3 and 4.
#include "client/media/movie_codec.h"
#include "client/media/movie_mpeg_tables.h"
#include "tests/support/movie_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace movie;

namespace {

/** Bits written from the least significant bit of each byte up (kind 3). */
struct LsbBits {
    formats::Bytes bytes;
    size_t bit = 0;
    LsbBits& put(uint32_t value, int n)
    {
        for (int i = 0; i < n; ++i, ++bit) {
            if (bit % 8 == 0) bytes.push_back(0);
            if ((value >> i) & 1) bytes.back() |= static_cast<uint8_t>(1u << (bit % 8));
        }
        return *this;
    }
};

/** Bits in 32-bit little-endian words from the top bit down (kind 4). */
struct MsbBits {
    std::vector<int> bits;
    MsbBits& put(uint32_t value, int n)
    {
        for (int i = n - 1; i >= 0; --i) bits.push_back((value >> i) & 1);
        return *this;
    }
    MsbBits& code(const char* text)
    {
        for (const char* c = text; *c; ++c) bits.push_back(*c == '1');
        return *this;
    }
    formats::Bytes words() const
    {
        formats::Bytes out;
        for (size_t w = 0; w * 32 < bits.size(); ++w) {
            uint32_t word = 0;
            for (size_t i = 0; i < 32 && w * 32 + i < bits.size(); ++i)
                if (bits[w * 32 + i]) word |= 1u << (31 - i);
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(word >> (8 * i)));
        }
        return out;
    }
};

formats::Bytes header(int width, int height, int quality, int flags)
{
    return {static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8), static_cast<uint8_t>(height),
            static_cast<uint8_t>(height >> 8), static_cast<uint8_t>(quality), 0, 0, static_cast<uint8_t>(flags)};
}

/** Checks a code set for prefix-freedom and returns its Kraft sum. */
double kraftSum(const std::vector<VlcCode>& codes)
{
    double sum = 0;
    for (size_t i = 0; i < codes.size(); ++i) {
        sum += std::ldexp(1.0, -codes[i].length);
        for (size_t j = 0; j < codes.size(); ++j) {
            if (i == j) continue;
            const VlcCode& a = codes[i];
            const VlcCode& b = codes[j];
            if (a.length <= b.length) {
                EXPECT_NE(b.bits >> (b.length - a.length), a.bits) << "code " << i << " is a prefix of code " << j;
            }
        }
    }
    return sum;
}

/** Mid-range values: no colour field of the unclamped conversion overflows. */
formats::YuvPicture gradient(int width, int height)
{
    formats::YuvPicture p;
    p.width = width;
    p.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.y.push_back(static_cast<uint8_t>(60 + x + y));
    for (int y = 0; y < height / 2; ++y)
        for (int x = 0; x < width / 2; ++x) {
            p.cb.push_back(static_cast<uint8_t>(118 + x / 2));
            p.cr.push_back(static_cast<uint8_t>(138 - y / 2));
        }
    return p;
}

struct Decoded {
    std::vector<uint16_t> pixels;
    bool ok = false;
};

Decoded decode(int kind, const formats::Bytes& payload, int width, int height, const std::vector<uint16_t>* previous = nullptr,
               DisplayFormat format = DisplayFormat::rgb555())
{
    MovieCodecWorkArea work{};
    BuildMovieColourTables(work.colour, format);
    Decoded d;
    const int unit = format.wide ? 2 : 1;
    d.pixels.assign(static_cast<size_t>(width * height * unit), 0x1234);
    FrameTarget target{d.pixels.data(), width * unit, width, height};
    d.ok = kind == 3 ? DecodeTransformFrame(work, payload.data(), payload.size(), target, format.wide)
                     : DecodeIntraFrame(work, payload.data(), payload.size(), target,
                                        previous != nullptr ? previous->data() : nullptr, format.wide);
    return d;
}

/** The frame the fast conversion makes of the picture's own samples: what a lossless code gives. */
std::vector<uint16_t> reference(const formats::YuvPicture& p, const DisplayFormat& f)
{
    ColourTables t;
    BuildMovieColourTables(t, f);
    std::vector<uint16_t> out(static_cast<size_t>(p.width * p.height));
    auto s = [](uint8_t v) { return static_cast<int32_t>(std::lround(std::clamp((v - 129) / 2.0, -64.0, 63.0))); };
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const int32_t luma[16] = {s(p.y[static_cast<size_t>(y * p.width + x)])};
            const size_t c = static_cast<size_t>((y / 2) * (p.width / 2) + x / 2);
            const int32_t cb[8] = {s(p.cb[c])};
            const int32_t cr[8] = {s(p.cr[c])};
            uint16_t pixel[16];
            ConvertMacroblockRow(t, luma, cb, cr, pixel);
            out[static_cast<size_t>(y * p.width + x)] = pixel[0];
        }
    return out;
}

int worstComponentError(const std::vector<uint16_t>& a, const std::vector<uint16_t>& b)
{
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift : {0, 5, 10}) {
            const int e = std::abs(((a[i] >> shift) & 31) - ((b[i] >> shift) & 31));
            worst = std::max(worst, e);
        }
    return worst;
}

} // namespace

TEST(MovieTransformTables, BaseScanAndMatrix)
{
    const auto& t = TransformBaseTable();
    const int32_t firstRow[8] = {8192, 5906, 6270, 6967, 8192, 10426, 15137, 29692};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(t[static_cast<size_t>(i)], firstRow[i]);
    EXPECT_EQ(t[63], 107619);
    const auto& scan = TransformScanOrder();
    EXPECT_EQ(std::set<int>(scan.begin(), scan.end()).size(), 64u);
    // Row and column exchanged against the zig-zag order: its 2nd entry (row 0, column 1) is 8 here.
    EXPECT_EQ(scan[1], 8);
    EXPECT_EQ(scan[2], 1);
    const auto& m = DefaultIntraMatrix();
    const int first[8] = {8, 16, 19, 22, 26, 27, 29, 34};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(m[static_cast<size_t>(i)], first[i]);
    EXPECT_EQ(m[63], 83);
    for (int r = 0; r < 8; ++r)
        for (int c = 1; c < 8; ++c) EXPECT_GE(m[static_cast<size_t>(8 * r + c)], m[static_cast<size_t>(8 * r + c - 1)]);
}

TEST(MovieTransformTables, Quantisers)
{
    const auto& t = TransformBaseTable();
    int32_t q[64];
    BuildKind4Quantiser(100, q);
    for (int p = 0; p < 64; ++p) EXPECT_EQ(q[p], 8 * t[static_cast<size_t>(p)]) << p;
    BuildKind4Quantiser(107, q);
    EXPECT_EQ(q[0], 65536);
    for (int p = 1; p < 64; ++p) EXPECT_EQ(q[p], 0) << p;
    BuildKind4Quantiser(91, q); // f = 1: v = M * 65536, Q = T * M
    EXPECT_EQ(q[1], 5906 * 16);
    EXPECT_EQ(q[0], 65536);
    // Kind 3, quality 100: b = 8, e = 2; Q[8r + c] = T * ((2 (r + c)) / 14 + 8).
    BuildKind3Quantiser(100, q);
    EXPECT_EQ(q[0], 8192 * 8);
    EXPECT_EQ(q[63], 107619 * (28 / 14 + 8));
    BuildKind3Quantiser(0, q); // b = 30, e = 30
    EXPECT_EQ(q[9], t[9] * ((30 * 2) / 14 + 30));
}

TEST(MovieTransformTables, MpegCodeSetsArePrefixFreeAndComplete)
{
    const std::vector<VlcCode> luma(kDcSizeLuma.begin(), kDcSizeLuma.end());
    const std::vector<VlcCode> chroma(kDcSizeChroma.begin(), kDcSizeChroma.end());
    // The DC size codes leave out exactly the all-ones pattern (7 bits luma, 8 bits chroma).
    EXPECT_DOUBLE_EQ(kraftSum(luma) + std::ldexp(1.0, -7), 1.0);
    EXPECT_DOUBLE_EQ(kraftSum(chroma) + std::ldexp(1.0, -8), 1.0);
    std::vector<VlcCode> coefficients(kCoefficientCodes.begin(), kCoefficientCodes.end());
    ASSERT_EQ(coefficients.size(), 111u);
    std::set<std::pair<int, int>> pairs;
    for (const VlcCode& c : coefficients) {
        EXPECT_TRUE(pairs.emplace(c.run, c.level).second) << "run " << int(c.run) << " level " << int(c.level);
        EXPECT_LE(c.length, 16);
    }
    coefficients.push_back(kEndOfBlock);
    coefficients.push_back(kEscape);
    // Complete but for the twelve zero bits that begin no code.
    EXPECT_DOUBLE_EQ(kraftSum(coefficients) + std::ldexp(1.0, -12), 1.0);
    // Every run with level 1 up to 31 and every level with run 0 up to 40 has a code.
    for (int run = 0; run <= 31; ++run) EXPECT_TRUE(pairs.count({run, 1})) << run;
    for (int level = 1; level <= 40; ++level) EXPECT_TRUE(pairs.count({0, level})) << level;
}

TEST(MovieTransform, InverseTransformGoldenVectors)
{
    // A lone DC gives X >> 17 everywhere.
    for (int32_t dc : {65536 * 7, -65536 * 3, 12345678}) {
        int32_t coefficients[64] = {dc};
        int32_t samples[64];
        InverseTransform(coefficients, samples, 8);
        for (int32_t s : samples) EXPECT_EQ(s, dc >> 17);
    }
    // Outputs of the integer transform for a few coefficient sets, computed once and frozen.
    struct Case {
        std::vector<std::pair<int, int32_t>> coefficients;
        uint64_t checksum;
    } cases[] = {
        {{{0, 1 << 20}, {1, 5906 * 40}}, 0xdc1cabacd6841d83ull},
        {{{0, -(1 << 21)}, {8, 5906 * 70}, {9, 4258 * 30}}, 0x541fe168f902aecfull},
        {{{0, 1 << 22}, {7, -29692 * 9}, {56, 29692 * 11}, {63, 107619 * 5}, {27, 12345}}, 0xce69d281fc5786dfull},
    };
    for (const Case& c : cases) {
        int32_t coefficients[64] = {};
        for (const auto& [p, v] : c.coefficients) coefficients[p] = v;
        int32_t samples[64];
        InverseTransform(coefficients, samples, 8);
        uint64_t h = 1469598103934665603ull;
        for (int32_t s : samples) h = (h ^ static_cast<uint32_t>(s)) * 1099511628211ull;
        EXPECT_EQ(h, c.checksum);
    }
}

TEST(MovieKind3, FlatSkipAndModeWalk)
{
    // Three macroblocks in a 48 x 16 frame: mode 3, mode 12 (with bytes that are not read), mode 7.
    formats::Bytes p = header(48, 16, 100, 0);
    p.insert(p.end(), {3, 20, 0, 0});
    p.insert(p.end(), {12, 2, 0x55, 4, 0x55, 6, 0x55, 8, 0x55, 0, 0x55, 0, 0x55});
    p.insert(p.end(), {7, 1, 2, 3, 4, 5, 6, 7});
    const Decoded d = decode(3, p, 48, 16);
    ASSERT_TRUE(d.ok);
    ColourTables t;
    BuildMovieColourTables(t, DisplayFormat::rgb555());
    int32_t q[64];
    BuildKind3Quantiser(100, q);
    auto flat = [&](int luma) {
        return static_cast<uint16_t>(t.luma[static_cast<size_t>(FlatIndex(luma, q[0]))] + t.cb[0] + t.cr[0]);
    };
    for (int y : {0, 15})
        for (int x : {0, 7, 8, 15}) EXPECT_EQ(d.pixels[static_cast<size_t>(y * 48 + x)], flat(20));
    EXPECT_EQ(d.pixels[16], flat(2));
    EXPECT_EQ(d.pixels[24], flat(4));
    EXPECT_EQ(d.pixels[8 * 48 + 16], flat(6));
    EXPECT_EQ(d.pixels[15 * 48 + 31], flat(8));
    EXPECT_EQ(d.pixels[32], 0x1234); // the skipped macroblock keeps its pixels
    EXPECT_EQ(d.pixels[15 * 48 + 47], 0x1234);
}

TEST(MovieKind3, BlockCodes)
{
    int32_t q[64];
    BuildKind3Quantiser(100, q);
    const auto& scan = TransformScanOrder();
    // DC 5; k1 = +Q; k2 = escape -128; two zeros (100); level -7 (six bits); level 1; run 56 to the end.
    LsbBits bits;
    bits.put(5, 8).put(0b010, 3).put(0xFF, 8).put(0x80, 8).put(0b100, 3).put(((-7 & 0x3F) << 2) | 3, 8);
    bits.put(0b010, 3).put((57 << 2) | 1, 8);
    LsbBitReader reader(bits.bytes.data(), bits.bytes.size());
    int32_t c[64];
    std::fill(std::begin(c), std::end(c), 999);
    ReadTransformBlock(reader, q, c);
    EXPECT_EQ(c[0], 5 * q[0]);
    EXPECT_EQ(c[scan[1]], q[scan[1]]);
    EXPECT_EQ(c[scan[2]], -128 * q[scan[2]]);
    EXPECT_EQ(c[scan[3]], 0);
    EXPECT_EQ(c[scan[4]], 0);
    EXPECT_EQ(c[scan[5]], -7 * q[scan[5]]);
    EXPECT_EQ(c[scan[6]], q[scan[6]]);
    for (int k = 7; k < 64; ++k) EXPECT_EQ(c[scan[static_cast<size_t>(k)]], 0) << k;
    EXPECT_EQ(reader.position(), bits.bit);
    // A run past scan index 63, and an empty run, both end the block without writing past it.
    LsbBits wild;
    wild.put(0, 8).put((63 << 2) | 1, 8).put((63 << 2) | 1, 8);
    LsbBitReader wildReader(wild.bytes.data(), wild.bytes.size());
    ReadTransformBlock(wildReader, q, c);
    LsbBits empty;
    empty.put(0, 8).put(1, 8);
    LsbBitReader emptyReader(empty.bytes.data(), empty.bytes.size());
    ReadTransformBlock(emptyReader, q, c);
    for (int p = 1; p < 64; ++p) EXPECT_EQ(c[p], 0);
}

TEST(MovieKind3, DcOnlyMacroblockGivesDTimesBOverSixteen)
{
    for (int quality : {100, 50}) {
        const int b = (22 * (100 - quality)) / 100 + 8;
        formats::Bytes p = header(16, 16, quality, 0);
        const int d[6] = {20, -30, 7, 0, 50, -50};
        p.push_back(13);
        for (int v : d) p.insert(p.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>((63 << 2) | 1)});
        p.push_back(0);
        MovieCodecWorkArea work{};
        BuildMovieColourTables(work.colour, DisplayFormat::rgb555());
        std::vector<uint16_t> pixels(256);
        ASSERT_TRUE(DecodeTransformFrame(work, p.data(), p.size(), FrameTarget{pixels.data(), 16, 16, 16}, false));
        EXPECT_EQ(work.samples.luma[0], (d[0] * b) >> 4);
        EXPECT_EQ(work.samples.luma[8], (d[1] * b) >> 4);
        EXPECT_EQ(work.samples.luma[8 * 16 + 3], (d[2] * b) >> 4);
        EXPECT_EQ(work.samples.luma[255], 0);
        EXPECT_EQ(work.samples.cb[63], (d[4] * b) >> 4);
        EXPECT_EQ(work.samples.cr[0], (d[5] * b) >> 4);
    }
}

TEST(MovieKind3, RefusesSizesThatAreNoMultipleOf16AndStopsAtThePayloadEnd)
{
    formats::Bytes p = header(24, 16, 100, 0);
    p.insert(p.end(), {3, 1, 2, 3});
    EXPECT_FALSE(decode(3, p, 24, 16).ok);
    formats::Bytes cut = header(32, 32, 100, 0);
    cut.insert(cut.end(), {200, 1, 2}); // announces 200 bytes, has 2
    EXPECT_TRUE(decode(3, cut, 32, 32).ok);
}

TEST(MovieKind4, DcSizesPredictorsAndCodes)
{
    int32_t q[64];
    BuildKind4Quantiser(100, q);
    // One 32 x 16 frame, no copy bits. Macroblock 1: luma DC +6 (size 3 "101", bits 110), then
    // size 0 ("100") three times; Cb -3 (size 2 "10", bits 00); Cr size 0 ("00").
    // Macroblock 2: luma size 0 ("100") keeps the predictor; then a block with AC codes.
    MsbBits bits;
    bits.code("101").code("110").code("10");
    for (int i = 0; i < 3; ++i) bits.code("100").code("10");
    bits.code("10").code("00").code("10");
    bits.code("00").code("10");
    bits.code("100").code("10");
    // run 1 level 1 "011" + sign 1, escape with run 3 level 200 ("0" then 200), run 0 level 2 "0100" +0, end
    bits.code("100").code("011").code("1").code("000001").put(3, 6).put(0, 8).put(200, 8).code("0100").code("0").code("10");
    bits.code("100").code("10").code("100").code("10");
    bits.code("00").code("10").code("00").code("10");
    formats::Bytes p = header(32, 16, 100, 1);
    const formats::Bytes words = bits.words();
    p.insert(p.end(), words.begin(), words.end());
    MovieCodecWorkArea work{};
    BuildMovieColourTables(work.colour, DisplayFormat::rgb555());
    std::vector<uint16_t> pixels(32 * 16);
    ASSERT_TRUE(DecodeIntraFrame(work, p.data(), p.size(), FrameTarget{pixels.data(), 32, 32, 16}, nullptr, false));
    EXPECT_EQ(work.predictors[0], 6);
    EXPECT_EQ(work.predictors[1], -3);
    EXPECT_EQ(work.predictors[2], 0);
    EXPECT_EQ(work.samples.luma[0], 3); // predictor / 2
    EXPECT_EQ(work.samples.luma[8 * 16], 3); // macroblock 2's size-0 blocks repeat the predictor
    const auto& scan = TransformScanOrder();
    // The second block's coefficients: scan 2 = -Q, scan 6 = 200 Q, scan 7 = 2 Q.
    MsbBits ac;
    ac.code("011").code("1").code("000001").put(3, 6).put(0, 8).put(200, 8).code("0100").code("0").code("10");
    const formats::Bytes acWords = ac.words();
    MsbBitReader reader(acWords.data(), acWords.size());
    int32_t c[64] = {};
    ReadIntraCoefficients(reader, q, c);
    EXPECT_EQ(c[scan[2]], -q[scan[2]]);
    EXPECT_EQ(c[scan[6]], 200 * q[scan[6]]);
    EXPECT_EQ(c[scan[7]], 2 * q[scan[7]]);
    EXPECT_EQ(reader.position(), ac.bits.size());
    // Escape levels: 128 then n gives n - 256; any other value is a signed byte.
    MsbBits esc;
    esc.code("000001").put(0, 6).put(128, 8).put(10, 8).code("000001").put(0, 6).put(0xF0, 8).code("10");
    const formats::Bytes escWords = esc.words();
    MsbBitReader escReader(escWords.data(), escWords.size());
    ReadIntraCoefficients(escReader, q, c);
    EXPECT_EQ(c[scan[1]], -246 * q[scan[1]]);
    EXPECT_EQ(c[scan[2]], -16 * q[scan[2]]);
    // Twelve zero bits end a block without using them; so does the all-ones DC pattern.
    MsbBits zeros;
    zeros.put(0, 16);
    const formats::Bytes zeroWords = zeros.words();
    MsbBitReader zeroReader(zeroWords.data(), zeroWords.size());
    ReadIntraCoefficients(zeroReader, q, c);
    EXPECT_EQ(zeroReader.position(), 0u);
    MsbBits ones;
    ones.put(0xFF, 8);
    const formats::Bytes oneWords = ones.words();
    MsbBitReader onesReader(oneWords.data(), oneWords.size());
    EXPECT_EQ(ReadDcSize(onesReader, false), 0);
    EXPECT_EQ(ReadDcSize(onesReader, true), 0);
    EXPECT_EQ(onesReader.position(), 0u);
}

TEST(MovieKind4, CopiesTakeThePreviousFrameAndCutFramesKeepTheirPixels)
{
    const formats::YuvPicture picture = gradient(48, 32);
    std::vector<uint16_t> previous(48 * 32);
    for (size_t i = 0; i < previous.size(); ++i) previous[i] = static_cast<uint16_t>(i * 7);
    std::vector<formats::Kind4Macroblock> plan(6);
    plan[4] = {true, -1, 1}; // stored as 15, 1: one column right, one row up
    plan[0] = {true, 0, 0};
    const formats::Bytes p = formats::encodeKind4Frame(picture, 100, 0, plan);
    const Decoded d = decode(4, p, 48, 32, &previous);
    ASSERT_TRUE(d.ok);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(d.pixels[static_cast<size_t>(y * 48 + x)], previous[static_cast<size_t>(y * 48 + x)]);
            EXPECT_EQ(d.pixels[static_cast<size_t>((16 + y) * 48 + 16 + x)],
                      previous[static_cast<size_t>((15 + y) * 48 + 17 + x)]);
        }
    // The stream cut after its first word: the macroblocks it no longer reaches keep their pixels.
    formats::Bytes cut(p.begin(), p.begin() + 12);
    const Decoded c = decode(4, cut, 48, 32, &previous);
    EXPECT_EQ(c.pixels[31 * 48 + 47], 0x1234);
}

TEST(MovieTransformRoundTrip, EncoderAndDecoderAgree)
{
    const formats::YuvPicture picture = gradient(64, 48);
    for (const DisplayFormat& f : {DisplayFormat::rgb555()}) {
        const std::vector<uint16_t> want = reference(picture, f);
        const Decoded k3 = decode(3, formats::encodeKind3Frame(picture, 100), 64, 48, nullptr, f);
        ASSERT_TRUE(k3.ok);
        EXPECT_LE(worstComponentError(k3.pixels, want), 2);
        const Decoded k4 = decode(4, formats::encodeKind4Frame(picture, 100, 0), 64, 48, nullptr, f);
        ASSERT_TRUE(k4.ok);
        EXPECT_LE(worstComponentError(k4.pixels, want), 2);
        const Decoded k4q = decode(4, formats::encodeKind4Frame(picture, 60, 1), 64, 48, nullptr, f);
        EXPECT_LE(worstComponentError(k4q.pixels, want), 4);
    }
}

TEST(MovieTransformGolden, FramesOfEveryVariant)
{
    const formats::YuvPicture picture = gradient(64, 48);
    std::vector<formats::Kind3Mode> modes(12, formats::Kind3Mode::Automatic);
    modes[1] = formats::Kind3Mode::Flat3;
    modes[2] = formats::Kind3Mode::Flat12;
    modes[3] = formats::Kind3Mode::Skip;
    struct Case {
        const char* name;
        int kind;
        formats::Bytes payload;
        DisplayFormat format;
        uint64_t checksum;
    };
    DisplayFormat wide565 = DisplayFormat::rgb565();
    wide565.wide = true;
    DisplayFormat wide555 = DisplayFormat::rgb555();
    wide555.wide = true;
    const Case cases[] = {
        {"kind3_555", 3, formats::encodeKind3Frame(picture, 80, modes), DisplayFormat::rgb555(), 0x129e6774d1013768ull},
        {"kind3_565_wide", 3, formats::encodeKind3Frame(picture, 30, modes), wide565, 0xf8e2797ddc556375ull},
        {"kind4_fast_565", 4, formats::encodeKind4Frame(picture, 90, 1), DisplayFormat::rgb565(), 0x864fda518f59afd3ull},
        {"kind4_clamped_555", 4, formats::encodeKind4Frame(picture, 100, 3), DisplayFormat::rgb555(), 0xee96461deef1bf9aull},
        {"kind4_clamped_565_wide", 4, formats::encodeKind4Frame(picture, 70, 3), wide565, 0x6ff0b740ad83e836ull},
        {"kind4_fast_555_wide", 4, formats::encodeKind4Frame(picture, 100, 1), wide555, 0xa87d21fcc178c9ecull},
    };
    for (const Case& c : cases) {
        const Decoded d = decode(c.kind, c.payload, 64, 48, nullptr, c.format);
        ASSERT_TRUE(d.ok) << c.name;
        const int unit = c.format.wide ? 2 : 1;
        const std::string mismatch =
            testsupport::checkGoldenFrame(c.name, d.pixels, 64 * unit, 48, c.format.greenBits == 6, c.checksum);
        EXPECT_TRUE(mismatch.empty()) << mismatch;
    }
}
