// Palettised frames: the LZ unpacker, key frames, delta frames, the colour table and expansion.
#include "client/media/movie_codec.h"
#include "tests/support/movie_fixtures.h"

#include <gtest/gtest.h>

using namespace movie;

namespace {

std::vector<uint8_t> unpack(const formats::Bytes& stream, size_t capacity = 4096)
{
    std::vector<uint8_t> out(capacity, 0xAA);
    size_t written = 0;
    UnpackLz(stream.data(), stream.size(), out.data(), out.size(), true, &written);
    out.resize(written);
    return out;
}

std::vector<uint8_t> picture(int width, int height, int seed)
{
    std::vector<uint8_t> p(static_cast<size_t>(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p[static_cast<size_t>(y * width + x)] = static_cast<uint8_t>(((x / 3 + y / 5) * 7 + seed) % 23);
    return p;
}

PaletteFrameState keyFrame(int width, int height, const std::vector<uint8_t>& pixels,
                           const std::vector<uint8_t>& palette = {})
{
    const formats::Bytes payload = formats::encodeKeyFrame(width, height, palette, pixels);
    KeyFrameHeader h;
    EXPECT_TRUE(ReadKeyFrameHeader(payload.data(), payload.size(), h));
    PaletteFrameState s;
    ApplyKeyFramePalette(s, payload.data(), h, 100);
    EXPECT_TRUE(DecodeKeyFrame(s, payload.data(), payload.size(), h));
    return s;
}

std::vector<uint8_t> currentPicture(const PaletteFrameState& s)
{
    return {s.currentPicture(), s.currentPicture() + s.width * s.height};
}

} // namespace

TEST(MovieLz, CommandForms)
{
    struct Case {
        const char* name;
        formats::Bytes stream;
        std::vector<uint8_t> want;
    } cases[] = {
        // 5-byte header (bit 0 clear): size 12 in the last three bytes; four literals (0xE0), then
        // 0x00-form: one literal, match length 3 + 7 = 10 from distance 1; end 0xFC.
        {"distance one repeats", {0x10, 0xFB, 0, 0, 15, 0xE0, 1, 2, 3, 4, 0x1D, 0x00, 9, 0xFC},
         {1, 2, 3, 4, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}},
        {"end with one literal", {0x10, 0xFB, 0, 0, 1, 0xFD, 42}, {42}},
        // 8-byte header (bit 0 set); 0x80-form: b1 >> 6 = 2 literals, length 4 + 1, distance 2.
        {"three-byte form", {0x11, 0, 0, 0, 0, 0, 0, 7, 0x81, 0x80, 0x01, 5, 6, 0xFC}, {5, 6, 5, 6, 5, 6, 5}},
        // 0xC0-form: 1 literal, length (1 * 256 + 0) + 5 = 261, distance 1.
        {"four-byte form", {0x10, 0, 0, 1, 6, 0xC5, 0, 0, 0, 8, 0xFC}, std::vector<uint8_t>(262, 8)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(unpack(c.stream), c.want) << c.name;
        EXPECT_EQ(UnpackLz(c.stream.data(), c.stream.size(), nullptr, 0, false), c.want.size()) << c.name;
    }
}

TEST(MovieLz, DamagedStreamsStayInTheirBuffers)
{
    // A match reaching before the output's start stops; an output bigger than its buffer is cut;
    // a command cut by the end of the input stops.
    EXPECT_TRUE(unpack({0x10, 0, 0, 0, 9, 0x1C, 0x05}).empty());
    const std::vector<uint8_t> cut = unpack({0x10, 0, 0, 1, 6, 0xC5, 0, 0, 0, 8, 0xFC}, 100);
    EXPECT_EQ(cut.size(), 100u);
    EXPECT_EQ(unpack({0x10, 0, 0, 0, 4, 0xE0, 1, 2}), (std::vector<uint8_t>{1, 2}));
}

TEST(MovieLz, PackerRoundTrip)
{
    std::vector<uint8_t> data = picture(300, 200, 3);
    for (size_t i = 0; i < 3000; ++i) data[i * 17 % data.size()] = static_cast<uint8_t>(i * 31);
    const formats::Bytes packed = formats::packLz(data);
    EXPECT_LT(packed.size(), data.size());
    EXPECT_EQ(unpack(packed, data.size()), data);
}

TEST(MovieKeyFrame, HeaderPaletteBrightnessAndPicture)
{
    const std::vector<uint8_t> palette = {10, 100, 200, 255, 128, 0};
    const std::vector<uint8_t> pixels = picture(20, 12, 1);
    const formats::Bytes payload = formats::encodeKeyFrame(20, 12, palette, pixels);
    KeyFrameHeader h;
    ASSERT_TRUE(ReadKeyFrameHeader(payload.data(), payload.size(), h));
    EXPECT_EQ(h.width, 20);
    EXPECT_EQ(h.height, 12);
    EXPECT_EQ(h.paletteCount, 2);
    struct Case {
        int brightness;
        std::vector<uint8_t> want;
    } cases[] = {{100, palette}, {50, {5, 50, 100, 127, 64, 0}}, {200, {20, 200, 255, 255, 255, 0}}};
    for (const Case& c : cases) {
        PaletteFrameState s;
        ApplyKeyFramePalette(s, payload.data(), h, c.brightness);
        EXPECT_EQ(std::vector<uint8_t>(s.palette, s.palette + 6), c.want) << c.brightness;
    }
    PaletteFrameState s = keyFrame(20, 12, pixels, palette);
    EXPECT_EQ(currentPicture(s), pixels);
    EXPECT_EQ(s.rowOffsets[0], -12 * 20);
    EXPECT_EQ(s.rowOffsets[23], 11 * 20);
    // Palette count 0 keeps the old entries.
    const formats::Bytes plain = formats::encodeKeyFrame(20, 12, {}, pixels);
    ASSERT_TRUE(ReadKeyFrameHeader(plain.data(), plain.size(), h));
    ApplyKeyFramePalette(s, plain.data(), h, 100);
    EXPECT_EQ(s.palette[3], 255);
    // A palette longer than the payload is refused.
    formats::Bytes broken = payload;
    broken[6] = 200;
    EXPECT_FALSE(ReadKeyFrameHeader(broken.data(), broken.size(), h));
}

TEST(MovieDeltaFrame, VectorsPlainAndPatternBlocks)
{
    const int w = 16, h = 8;
    std::vector<uint8_t> reference(static_cast<size_t>(w * h));
    for (size_t i = 0; i < reference.size(); ++i) reference[i] = static_cast<uint8_t>(i);
    PaletteFrameState s = keyFrame(w, h, reference);
    formats::DeltaFrameParts parts;
    parts.vectors = {{4, 4}, {-3, -2}};
    parts.plain = {{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}}};
    parts.patterns = {{{{20, 21, 22, 23}}, 0x1B1B1B1Bu}}; // 0 1 2 3 in every row
    parts.mapBits = 3;
    // Blocks of the 4 x 2 grid: (0,0) vector (4,4); (1,0) plain; (2,0) pattern; (3,0) vector
    // (-3,-2) which reaches above the top: kept; bottom row: vector (-3, -2) then plain, pattern, vector (4,4)
    // which reaches past the picture: kept.
    parts.map = {0, 2, 3, 1, 1, 2, 3, 0};
    const formats::Bytes payload = formats::encodeDeltaFrame(parts);
    ASSERT_TRUE(DecodeDeltaFrame(s, payload.data(), payload.size()));
    const std::vector<uint8_t> out = currentPicture(s);
    auto at = [&](int x, int y) { return out[static_cast<size_t>(y * w + x)]; };
    auto ref = [&](int x, int y) { return reference[static_cast<size_t>(y * w + x)]; };
    EXPECT_EQ(at(0, 0), ref(4, 4));
    EXPECT_EQ(at(3, 3), ref(7, 7));
    EXPECT_EQ(at(4, 0), 1);
    EXPECT_EQ(at(7, 3), 16);
    EXPECT_EQ(at(8, 0), 20);
    EXPECT_EQ(at(11, 2), 23);
    EXPECT_EQ(at(0, 4), ref(-3 + 0 + 16, 4 - 2 - 1)); // offset -2 * 16 - 3 from (0, 4): row 1, column 13
    EXPECT_EQ(at(4, 4), 1);
    EXPECT_EQ(at(8, 7), 20);
    // The two blocks whose vectors leave the picture keep the bytes of the picture swapped in.
    EXPECT_EQ(at(12, 0), 0);
    EXPECT_EQ(at(12, 4), 0);
}

TEST(MovieDeltaFrame, RefusesDamagedFramesAndMapsOutsideTheList)
{
    PaletteFrameState s = keyFrame(16, 8, picture(16, 8, 2));
    formats::DeltaFrameParts parts;
    parts.plain = {{}};
    parts.mapBits = 4;
    parts.map = {0, 9, 15, 0, 0, 0, 0, 0}; // entries past the block list leave their blocks alone
    formats::Bytes payload = formats::encodeDeltaFrame(parts);
    EXPECT_TRUE(DecodeDeltaFrame(s, payload.data(), payload.size()));
    payload[6] = 40; // map entries of 40 bits
    EXPECT_FALSE(DecodeDeltaFrame(s, payload.data(), payload.size()));
    payload[2] = 0xFF; // more plain blocks than the payload holds
    payload[6] = 4;
    EXPECT_FALSE(DecodeDeltaFrame(s, payload.data(), payload.size()));
    PaletteFrameState empty;
    EXPECT_FALSE(DecodeDeltaFrame(empty, payload.data(), payload.size())); // no key frame yet
}

TEST(MovieDeltaFrame, FrameWithoutBlocks)
{
    const PaletteFrameState key = keyFrame(16, 8, picture(16, 8, 2));
    PaletteFrameState s = key; // a copy holds no spare storage for blocks
    formats::DeltaFrameParts parts; // no vectors and no blocks: every map entry lies past the list
    parts.mapBits = 0;
    const formats::Bytes payload = formats::encodeDeltaFrame(parts);
    ASSERT_TRUE(DecodeDeltaFrame(s, payload.data(), payload.size()));
    EXPECT_EQ(s.pictures[s.current ^ 1], key.pictures[key.current]); // the reference stays as it was
}

TEST(MovieDeltaFrame, EncoderRoundTripOverSeveralFrames)
{
    const int w = 64, h = 32;
    std::vector<uint8_t> previous = picture(w, h, 0);
    PaletteFrameState s = keyFrame(w, h, previous);
    for (int f = 1; f < 6; ++f) {
        std::vector<uint8_t> next = previous;
        for (int y = 8; y < 16; ++y)
            for (int x = 0; x < w; ++x) next[static_cast<size_t>(y * w + x)] = previous[static_cast<size_t>(y * w + (x + 1) % w)];
        next[static_cast<size_t>(f * 37)] = static_cast<uint8_t>(200 + f);
        const formats::Bytes payload = formats::encodeDeltaFrame(w, h, previous, next);
        ASSERT_TRUE(DecodeDeltaFrame(s, payload.data(), payload.size()));
        EXPECT_EQ(currentPicture(s), next) << f;
        previous = next;
    }
}

TEST(MovieColourTable, PixelsAndExpansion)
{
    PaletteFrameState s = keyFrame(4, 2, {0, 1, 2, 3, 3, 2, 1, 0}, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
    struct Case {
        DisplayFormat format;
        uint16_t red, green, blue, white;
    };
    DisplayFormat wide = DisplayFormat::rgb565();
    wide.wide = true;
    const Case cases[] = {
        {DisplayFormat::rgb555(), 0x7C00, 0x03E0, 0x001F, 0x7FFF},
        {DisplayFormat::rgb565(), 0xF800, 0x07E0, 0x001F, 0xFFFF},
        {wide, 0xF800, 0x07E0, 0x001F, 0xFFFF},
    };
    for (const Case& c : cases) {
        BuildColourTable(s, c.format);
        const int unit = c.format.wide ? 2 : 1;
        std::vector<uint16_t> pixels(static_cast<size_t>(8 * unit));
        ExpandPicture(s, pixels.data(), c.format.wide);
        const uint16_t want[8] = {c.red, c.green, c.blue, c.white, c.white, c.blue, c.green, c.red};
        for (int i = 0; i < 8; ++i)
            for (int u = 0; u < unit; ++u) EXPECT_EQ(pixels[static_cast<size_t>(i * unit + u)], want[i]) << i;
    }
}
