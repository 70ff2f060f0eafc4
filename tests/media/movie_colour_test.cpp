// Colour tables and macroblock writers of the transform frames.
#include "client/media/movie_codec.h"

#include <gtest/gtest.h>

using namespace movie;

namespace {

struct Rgb {
    int r, g, b;
};

Rgb split(uint16_t p, const DisplayFormat& f)
{
    return {(p >> f.redShift) & ((1 << f.redBits) - 1), (p >> f.greenShift) & ((1 << f.greenBits) - 1),
            (p >> f.blueShift) & ((1 << f.blueBits) - 1)};
}

ColourTables tablesFor(const DisplayFormat& f)
{
    ColourTables t;
    BuildMovieColourTables(t, f);
    return t;
}

} // namespace

TEST(MovieColour, PackRoundsTheLowHalfAndTruncatesTheHighHalfWithBorrows)
{
    const DisplayFormat f555 = DisplayFormat::rgb555();
    // 129 in 5 bits: low (129 + 4) / 8 = 16, high 129 / 8 = 16; bit 15 and 31 set for 5-5-5.
    EXPECT_EQ(PackTableColour(129, 129, 129, f555), 0x80008000u | (16u << 10 | 16u << 5 | 16u) * 0x10001u);
    // A negative blue borrows from green, a green gone negative from red, and on into the high half.
    const uint32_t e = PackTableColour(0, 0, -20, f555);
    // low blue (-20 - 4) / 8 = -3, low green 0 - 1 = -1, low red 0 - 1 = -1; high blue -20/8 = -2,
    // -1 for the red borrow = -3, high green -1, high red -1.
    const uint32_t low = (31u << 10) | (31u << 5) | (29u);
    const uint32_t high = (31u << 10) | (31u << 5) | (29u);
    EXPECT_EQ(e, low | (high << 16) | 0x80008000u);
    const DisplayFormat f565 = DisplayFormat::rgb565();
    // 6-bit green: step 4, half 2; no top bits in 5-6-5.
    EXPECT_EQ(PackTableColour(0, 10, 0, f565), (3u << 5) | (2u << 21));
}

TEST(MovieColour, FastLumaValuesAndWrap)
{
    for (const DisplayFormat& f : {DisplayFormat::rgb555(), DisplayFormat::rgb565()}) {
        const ColourTables t = tablesFor(f);
        struct Case {
            int sample;
            int y;
        } cases[] = {{0, 129}, {-64, 1}, {63, 255}, {64, 1 /* wraps to -64 */}};
        for (const Case& c : cases) {
            const int32_t luma[16] = {c.sample};
            const int32_t zero[8] = {};
            uint16_t out[16];
            // Chroma 0 still adds a little (c = 1), so compare the luma entry itself.
            ConvertMacroblockRow(t, luma, zero, zero, out);
            const uint32_t entry = t.luma[static_cast<size_t>(c.sample & 0x7F)];
            EXPECT_EQ(entry, PackTableColour(c.y, c.y, c.y, f)) << c.sample;
            EXPECT_EQ(out[0], static_cast<uint16_t>(entry + t.cb[0] + t.cr[0]));
        }
    }
}

TEST(MovieColour, FastFieldOverflowDisturbsItsNeighbour)
{
    const DisplayFormat f = DisplayFormat::rgb565();
    const ColourTables t = tablesFor(f);
    // Brightest luma plus the strongest blue push: blue overflows its field into green.
    const int32_t luma[16] = {63};
    const int32_t cb[8] = {63};
    const int32_t cr[8] = {0};
    uint16_t out[16];
    ConvertMacroblockRow(t, luma, cb, cr, out);
    const uint32_t sum = t.luma[63] + t.cb[63] + t.cr[0];
    EXPECT_EQ(out[0], static_cast<uint16_t>(sum));
    // Blue: 31 from the luma entry (clamped), 28 from Cb 63, 0 from Cr: 59 does not fit 5 bits.
    EXPECT_EQ(split(static_cast<uint16_t>(t.luma[63]), f).b, 31);
    EXPECT_EQ(split(static_cast<uint16_t>(t.cb[63]), f).b, 28);
    EXPECT_EQ(split(out[0], f).b, (31 + 28) & 31);
    const int greenParts = split(static_cast<uint16_t>(t.luma[63]), f).g + split(static_cast<uint16_t>(t.cb[63]), f).g +
                           split(static_cast<uint16_t>(t.cr[0]), f).g;
    EXPECT_EQ(split(out[0], f).g, (greenParts + 1) & 63); // the carry reached green
}

TEST(MovieColour, WidePairsAreRoundedLeftAndTruncatedRight)
{
    DisplayFormat f = DisplayFormat::rgb555();
    f.wide = true;
    const ColourTables t = tablesFor(f);
    const int32_t luma[16] = {2}; // Y = 133: left (133 + 4) / 8 = 17, right 133 / 8 = 16
    const int32_t zero[8] = {};
    uint16_t out[32];
    ConvertMacroblockRowWide(t, luma, zero, zero, out);
    const uint32_t sum = t.luma[2] + t.cb[0] + t.cr[0];
    EXPECT_EQ(out[0], static_cast<uint16_t>(sum));
    EXPECT_EQ(out[1], static_cast<uint16_t>(sum >> 16));
    EXPECT_EQ(split(static_cast<uint16_t>(t.luma[2]), f).r, 17);
    EXPECT_EQ(split(static_cast<uint16_t>(t.luma[2] >> 16), f).r, 16);
}

TEST(MovieColour, ClampedConversionLevels)
{
    for (const DisplayFormat& base : {DisplayFormat::rgb555(), DisplayFormat::rgb565()}) {
        const ColourTables t = tablesFor(base);
        const int32_t luma[16] = {10, 100};
        const int32_t u[8] = {64};
        const int32_t v[8] = {64};
        uint16_t out[16];
        ConvertMacroblockRowClamped(t, luma, u, v, out);
        for (int i = 0; i < 2; ++i) {
            const auto y = static_cast<size_t>(luma[i]);
            EXPECT_EQ(out[i], t.redLevel[y + 183] + t.greenLevel[y + 185] + t.blueLevel[y + 183]);
        }
        // Level k: trunc((2k - 383) * 1.164) clamped to 0..255.
        EXPECT_EQ(t.redLevel[191], 0u);                                   // (382 - 383) * 1.164 < 0
        EXPECT_EQ(t.redLevel[300], static_cast<uint32_t>(252 >> 3) << base.redShift); // 217 * 1.164 = 252.5
        EXPECT_EQ(t.greenLevel[511], static_cast<uint32_t>(255 >> (8 - base.greenBits)) << base.greenShift);
        // Samples outside 0..127 are held to the table instead of reading past it.
        const int32_t wild[16] = {-5000, 5000};
        const int32_t wildChroma[8] = {9999};
        ConvertMacroblockRowClamped(t, wild, wildChroma, wildChroma, out);
    }
}

TEST(MovieColour, ClampedTablesBrightnessAndWideHalfStep)
{
    DisplayFormat f = DisplayFormat::rgb555();
    f.wide = true;
    f.brightness = 50;
    const ColourTables t = tablesFor(f);
    // k = 300: V = 252 at 100 %, 126 at 50 %; the right pixel adds half a step (4) = 130.
    EXPECT_EQ(t.redLevel[300] & 0xFFFF, static_cast<uint32_t>(126 >> 3) << 10);
    EXPECT_EQ(t.redLevel[300] >> 16, static_cast<uint32_t>(130 >> 3) << 10);
    f.brightness = 100;
    const ColourTables full = tablesFor(f);
    EXPECT_EQ(full.blueLevel[511] >> 16, 31u); // capped at 255
}

TEST(MovieColour, FlatFillUsesTheQuantisedIndex)
{
    EXPECT_EQ(FlatIndex(0, 65536), 0);
    EXPECT_EQ(FlatIndex(10, 65536), 5);
    EXPECT_EQ(FlatIndex(-1, 65536), 0x7F); // floor(-0.5) = -1 >> 1 = -1
    const DisplayFormat f = DisplayFormat::rgb555();
    const ColourTables t = tablesFor(f);
    const int8_t values[6] = {0, 20, 40, -40, 0, 0};
    std::vector<uint16_t> pixels(16 * 16);
    FillFlatMacroblock(t, values, 65536, pixels.data(), 16);
    const uint32_t chroma = t.cb[0] + t.cr[0];
    EXPECT_EQ(pixels[0], static_cast<uint16_t>(t.luma[0] + chroma));
    EXPECT_EQ(split(static_cast<uint16_t>(t.luma[0]), f).r, (129 + 4) / 8);
    EXPECT_EQ(pixels[15], static_cast<uint16_t>(t.luma[10] + chroma));
    EXPECT_EQ(pixels[8 * 16], static_cast<uint16_t>(t.luma[20] + chroma));
    EXPECT_EQ(pixels[255], static_cast<uint16_t>(t.luma[static_cast<size_t>(FlatIndex(-40, 65536))] + chroma));
}

TEST(MovieColour, CopyMovesTheMacroblockAndRefusesVectorsOutsideTheFrame)
{
    const int w = 48, h = 32;
    std::vector<uint16_t> previous(static_cast<size_t>(w * h));
    for (size_t i = 0; i < previous.size(); ++i) previous[i] = static_cast<uint16_t>(i);
    std::vector<uint16_t> current(previous.size(), 0xFFFF);
    const FrameTarget target{current.data(), w, w, h};
    ASSERT_TRUE(CopyMacroblock(target, previous.data(), 16, 16, 0, 0, false));
    EXPECT_EQ(current[16 * w + 16], previous[16 * w + 16]);
    // (x, y) = (-1, 1): one column to the right, one row up.
    ASSERT_TRUE(CopyMacroblock(target, previous.data(), 16, 16, -1, 1, false));
    EXPECT_EQ(current[16 * w + 16], previous[15 * w + 17]);
    EXPECT_EQ(current[31 * w + 31], previous[30 * w + 32]);
    EXPECT_FALSE(CopyMacroblock(target, previous.data(), 32, 16, -1, 0, false)); // past the right edge
    EXPECT_FALSE(CopyMacroblock(target, previous.data(), 0, 0, 0, 1, false));    // above the top
}
