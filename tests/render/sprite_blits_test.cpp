#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/span_routines.h"
#include "client/render/graphic_manager.h"
#include "client/render/sprite_blits.h"
#include "client/render/startup_tables.h"
#include "tests/support/art_builder.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

constexpr int32_t kSurface = 48;

/** Every source pixel tells where it came from: (y << 4 | x) + 1. */
uint16_t tag(int32_t x, int32_t y) { return static_cast<uint16_t>((y << 4 | x) + 1); }

std::unique_ptr<ArtImage> taggedImage(int32_t w, int32_t h)
{
    std::vector<uint16_t> bitmap;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            bitmap.push_back(tag(x, y));
    const auto bytes = testsupport::buildArtRecordFromBitmap(static_cast<uint16_t>(w), static_cast<uint16_t>(h), bitmap);
    return ParseArtImage(bytes.data(), bytes.size());
}

class SpriteBlitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BuildStartupTables();
        GraphicManager::SetChannelShifts(10, 5);
        GraphicManager::BuildGreyTable();
        surface_.assign(kSurface * kSurface, 0);
        SetBlitTarget(surface_.data(), kSurface, kSurface, kSurface);
    }
    void TearDown() override
    {
        SetBlitTarget(nullptr, 0, 0, 0);
        resetSpanState();
    }

    uint16_t& px(int32_t x, int32_t y) { return surface_[static_cast<size_t>(y * kSurface + x)]; }
    static BlitRect all() { return {0, 0, kSurface, kSurface}; }

    std::vector<uint16_t> surface_;
};

TEST_F(SpriteBlitTest, TurnedSourceRectanglesLandPixelForPixel)
{
    const auto image = taggedImage(4, 4);
    struct Case {
        uint8_t angle;
        // Which image point box pixel (j, i) shows; -1 leaves it untouched.
        std::function<std::pair<int32_t, int32_t>(int32_t j, int32_t i)> source;
    };
    const Case cases[] = {
        {0, [](int32_t j, int32_t i) { return std::pair{1 + j, 1 + i}; }},                 // a plain copy
        {128, [](int32_t j, int32_t i) { return std::pair{4 - 1 - j, 4 - 1 - i}; }},       // half a turn about (2, 2)
        {64, [](int32_t j, int32_t i) { return std::pair{1 + i, 4 - 1 - j}; }},            // a quarter turn
    };
    for (const Case& c : cases) {
        std::fill(surface_.begin(), surface_.end(), uint16_t{0});
        BlitRotatedSource(RotatedPixel::Copy, image.get(), {1, 1, 4, 4}, 10, 20, c.angle, all());
        for (int32_t i = 0; i < 3; ++i) {
            for (int32_t j = 0; j < 3; ++j) {
                const auto [sx, sy] = c.source(j, i);
                const uint16_t expected = sx >= 0 && sx < 4 && sy >= 0 && sy < 4 ? tag(sx, sy) : 0;
                EXPECT_EQ(px(10 + j, 20 + i), expected) << "angle " << int(c.angle) << " box " << j << ", " << i;
            }
        }
        int32_t written = 0;
        for (uint16_t p : surface_)
            written += p != 0;
        EXPECT_LE(written, 9);
    }
}

TEST_F(SpriteBlitTest, WholeImagesDrawZeroInsideARunButNotTheGaps)
{
    // Row 0: a run of {0, 5} from column 1; row 1: a run at column 0 of {7}.
    const auto bytes = testsupport::buildArtRecord(3, {{{1, {0, 5}}}, {{0, {7}}}});
    const auto image = ParseArtImage(bytes.data(), bytes.size());
    std::fill(surface_.begin(), surface_.end(), uint16_t{0x1111});
    BlitRotated(RotatedPixel::Copy, image.get(), all(), 2, 2, 0);
    EXPECT_EQ(px(2, 2), 0x1111); // gap
    EXPECT_EQ(px(3, 2), 0);      // a stored 0 is drawn
    EXPECT_EQ(px(4, 2), 5);
    EXPECT_EQ(px(2, 3), 7);
    EXPECT_EQ(px(3, 3), 0x1111);

    std::fill(surface_.begin(), surface_.end(), uint16_t{0x1111});
    BlitRotatedSource(RotatedPixel::Copy, image.get(), {0, 0, 3, 2}, 2, 2, 0, all());
    EXPECT_EQ(px(3, 2), 0x1111); // for the source-rectangle members a 0 is transparent
    EXPECT_EQ(px(4, 2), 5);
}

TEST_F(SpriteBlitTest, ClippingCutsTheBoxAndTheTarget)
{
    const auto image = taggedImage(6, 6);
    BlitRotated(RotatedPixel::Copy, image.get(), {12, 12, 14, 13}, 10, 10, 0);
    std::set<std::pair<int32_t, int32_t>> written;
    for (int32_t y = 0; y < kSurface; ++y)
        for (int32_t x = 0; x < kSurface; ++x)
            if (px(x, y) != 0)
                written.insert({x, y});
    EXPECT_EQ(written, (std::set<std::pair<int32_t, int32_t>>{{12, 12}, {13, 12}}));
    EXPECT_EQ(px(12, 12), tag(2, 2));

    // At the target's edge nothing is written outside it, whatever the clip says.
    BlitRotated(RotatedPixel::Copy, image.get(), {-100, -100, 100, 100}, kSurface - 2, -3, 0);
    EXPECT_EQ(px(kSurface - 1, 0), tag(1, 3));
}

TEST_F(SpriteBlitTest, HuedMembersReadTheRampAndAnIndexOutsideTheTableDrawsUnhued)
{
    std::vector<uint16_t> hues(2 * kHueEntryWords, 0);
    for (int k = 0; k < 32; ++k)
        hues[static_cast<size_t>(kHueEntryWords + k)] = static_cast<uint16_t>(0x4000 + k); // hue index 1
    setSpanHueTable(hues.data(), 2);
    const uint16_t white = 0x7FFF; // grey level 25, green 31
    const auto bytes = testsupport::buildArtRecord(1, {{{0, {white}}}});
    const auto image = ParseArtImage(bytes.data(), bytes.size());

    BlitRotated(RotatedPixel::HuedGrey, image.get(), all(), 0, 0, 0, 1);
    EXPECT_EQ(px(0, 0), 0x4000 + 25);
    BlitRotated(RotatedPixel::HuedGrey, image.get(), all(), 1, 0, 0, 2); // past the table
    EXPECT_EQ(px(1, 0), white);
    BlitRotated(RotatedPixel::HuedGrey, image.get(), all(), 2, 0, 0, -1);
    EXPECT_EQ(px(2, 0), white);

    SetBlendMode(2);
    px(3, 0) = 0x0001;
    BlitRotated(RotatedPixel::HuedBlend, image.get(), all(), 3, 0, 0, 1); // ramp[31] = 0x401F added
    EXPECT_EQ(px(3, 0), (16 << 10) | 31);
}

TEST_F(SpriteBlitTest, RotatedBoundsTurnTheCornersAboutTheCentre)
{
    BlitRect r{10, 20, 30, 60};
    GetRotatedBounds(0, r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 30);
    EXPECT_EQ(r.bottom, 60);
    r = {10, 20, 30, 60}; // centre (20, 40): a quarter turn swaps width and height
    GetRotatedBounds(64, r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right, 40);
    EXPECT_EQ(r.bottom, 50);
}

/** A land tile whose stored pixel i is i + 1. */
std::vector<uint16_t> taggedTile()
{
    std::vector<uint16_t> tile(kLandTilePixels);
    for (int32_t i = 0; i < kLandTilePixels; ++i)
        tile[static_cast<size_t>(i)] = static_cast<uint16_t>(i + 1);
    return tile;
}

TEST_F(SpriteBlitTest, LandDiamondsDrawEveryStoredPixelButTheLowerRowsEnds)
{
    const auto tile = taggedTile();
    BlitLandPixels(tile.data(), 2, 1, all(), false);
    std::set<int32_t> drawn;
    for (int32_t y = 0; y < kSurface; ++y) {
        for (int32_t x = 0; x < kSurface; ++x) {
            if (px(x, y) == 0)
                continue;
            const int32_t row = y - 1;
            const DiamondRow& d = DiamondRows()[static_cast<size_t>(row)];
            ASSERT_GE(x - 2, d.start) << x << ", " << y;
            ASSERT_LT(x - 2, d.end) << x << ", " << y;
            EXPECT_EQ(px(x, y) - 1, d.source + (x - 2 - d.start)) << x << ", " << y; // left to right, no gaps
            drawn.insert(px(x, y) - 1);
        }
    }
    std::set<int32_t> expected;
    int32_t stored = 0;
    for (int32_t r = 0; r < 44; ++r) {
        const int32_t width = r < 22 ? 2 * r + 2 : 2 * (44 - r);
        for (int32_t k = 0; k < width; ++k)
            if (r < 22 || (k != 0 && k != width - 1))
                expected.insert(stored + k);
        stored += width;
    }
    EXPECT_EQ(drawn, expected);
    EXPECT_EQ(px(2 + 21, 1), 1); // the top row: stored pixels 0 and 1
    EXPECT_EQ(px(2 + 22, 1), 2);
}

TEST_F(SpriteBlitTest, AClippedDiamondIsTheFullOneCutToTheClip)
{
    const auto tile = taggedTile();
    BlitLandPixels(tile.data(), 0, 0, all(), false);
    const std::vector<uint16_t> full = surface_;
    std::fill(surface_.begin(), surface_.end(), uint16_t{0});
    const BlitRect clip{7, 5, 30, 40}; // cuts rows in their middle
    BlitLandPixels(tile.data(), 0, 0, clip, false);
    for (int32_t y = 0; y < kSurface; ++y) {
        for (int32_t x = 0; x < kSurface; ++x) {
            const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
            ASSERT_EQ(px(x, y), inside ? full[static_cast<size_t>(y * kSurface + x)] : 0) << x << ", " << y;
        }
    }

    std::fill(surface_.begin(), surface_.end(), uint16_t{0});
    std::vector<uint16_t> red(kLandTilePixels, 0x7C00);
    BlitLandPixels(red.data(), 0, 0, all(), true);
    EXPECT_EQ(px(21, 0), GraphicManager::GreyColor(0x7C00));
}

TEST_F(SpriteBlitTest, LandRecordsComeFromTheArtFilesCheckedBeforeUse)
{
    testsupport::TempDir dir;
    testsupport::DataInstall install(dir.path());
    formats::Bytes tile;
    for (int32_t i = 0; i < kLandTilePixels; ++i) {
        tile.push_back(static_cast<uint8_t>((0x100 + i) & 0xFF));
        tile.push_back(static_cast<uint8_t>((0x100 + i) >> 8));
    }
    tile.resize(2048, 0);
    formats::Bytes zero(2048, 0);
    zero[0] = 0x34; // record 0: its first pixel 0x1234
    zero[1] = 0x12;
    install.indexed(FILE_ART).add(0, zero);
    install.indexed(FILE_ART).add(3, tile);
    install.indexed(FILE_ART).add(4, formats::Bytes(100, 1)); // too short for a tile
    // The art pair only in the data-source folder: read through the smallest disk cache.
    std::vector<int32_t> installed;
    for (int32_t id = 0; id < kDataFileCount; ++id)
        if (id != FILE_ART && id != FILE_ARTIDX)
            installed.push_back(id);
    install.writeOnly(installed, "");
    testsupport::ScopedDataCache::Options options;
    options.maxHd = false;
    options.cacheSize = 0;
    options.cdPath = install.writeOnly({FILE_ART, FILE_ARTIDX}, "cd").string();
    testsupport::ScopedDataCache cache(dir.path(), options);
    ASSERT_FALSE(CDHDCache::IsDirect(FILE_ART));

    BlitLandTile(3, 0, 0, all());
    EXPECT_EQ(px(21, 0), 0x100);
    EXPECT_EQ(px(22, 0), 0x101);
    std::fill(surface_.begin(), surface_.end(), uint16_t{0});
    BlitLandTile(7, 0, 0, all()); // missing: record 0 instead
    EXPECT_EQ(px(21, 0), 0x1234);
    std::fill(surface_.begin(), surface_.end(), uint16_t{0});
    BlitLandTile(4, 0, 0, all());
    BlitLandTile(0x4000, 0, 0, all());
    BlitLandTileGrey(-1, 0, 0, all());
    EXPECT_TRUE(std::all_of(surface_.begin(), surface_.end(), [](uint16_t p) { return p == 0; }));
}

} // namespace
