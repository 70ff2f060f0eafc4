/** @file Checks of the art record reader, GetArtPixel and the clipped art blits against a plain per-pixel reference. */
#include "client/data/art_blit.h"
#include "client/data/cdhd_cache.h"

#include "client/data/data_files.h"
#include "tests/support/art_builder.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"

#include "platform/random/random.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::ArtRowSpec;
using testsupport::buildArtRecord;
using testsupport::buildArtRecordFromBitmap;

std::unique_ptr<ArtImage> parse(const std::vector<uint8_t>& bytes) { return ParseArtImage(bytes.data(), bytes.size()); }

// A 6 x 4 bitmap whose pixels name their position (1 + 16 y + x), with gaps of 0.
struct Bitmap {
    int32_t width;
    int32_t height;
    std::vector<uint16_t> pixels;
};

Bitmap sampleBitmap()
{
    Bitmap b{6, 4, std::vector<uint16_t>(24)};
    for (int32_t y = 0; y < b.height; ++y)
        for (int32_t x = 0; x < b.width; ++x) {
            const bool gap = (x == 2 && y != 3) || (y == 1 && x > 3) || (y == 2 && x == 0);
            b.pixels[static_cast<size_t>(y * b.width + x)] = gap ? 0 : static_cast<uint16_t>(1 + 16 * y + x);
        }
    return b;
}

// What a transparent copy of the bitmap at (x, y) clipped to clip and the surface must leave.
std::vector<uint16_t> reference(const std::vector<uint16_t>& surface, int32_t surfaceWidth, const Bitmap& b, BlitRect clip, int32_t x, int32_t y)
{
    std::vector<uint16_t> out = surface;
    const int32_t surfaceHeight = static_cast<int32_t>(surface.size()) / surfaceWidth;
    for (int32_t row = 0; row < b.height; ++row)
        for (int32_t col = 0; col < b.width; ++col) {
            const int32_t dx = x + col;
            const int32_t dy = y + row;
            const uint16_t p = b.pixels[static_cast<size_t>(row * b.width + col)];
            if (p == 0 || dx < clip.left || dx >= clip.right || dy < clip.top || dy >= clip.bottom) continue;
            if (dx < 0 || dy < 0 || dx >= surfaceWidth || dy >= surfaceHeight) continue;
            out[static_cast<size_t>(dy * surfaceWidth + dx)] = p;
        }
    return out;
}

constexpr int32_t kSurfaceWidth = 10;
constexpr int32_t kSurfaceHeight = 8;
constexpr int32_t kPitch = 12;  // wider than the surface: the columns past the width must never change
constexpr uint16_t kBackground = 0x4000;

struct ClipCase {
    std::string name;
    BlitRect clip;
    int32_t x;
    int32_t y;
};

class ArtBlit : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetSpanState();
        buffer_.assign(static_cast<size_t>(kPitch * (kSurfaceHeight + 1)), kBackground);
        SetBlitTarget(buffer_.data(), kPitch, kSurfaceWidth, kSurfaceHeight);
    }
    void TearDown() override { SetBlitTarget(nullptr, 0, 0, 0); }

    /** The surface part of the buffer; checks that nothing outside it was written. */
    std::vector<uint16_t> surface() const
    {
        std::vector<uint16_t> out;
        for (int32_t y = 0; y <= kSurfaceHeight; ++y)
            for (int32_t x = 0; x < kPitch; ++x) {
                const uint16_t p = buffer_[static_cast<size_t>(y * kPitch + x)];
                if (x < kSurfaceWidth && y < kSurfaceHeight)
                    out.push_back(p);
                else
                    EXPECT_EQ(p, kBackground) << "written outside the surface at " << x << "," << y;
            }
        return out;
    }

    std::vector<uint16_t> buffer_;
};

TEST_F(ArtBlit, ClippedBlitMatchesTheReferenceAtEveryEdge)
{
    const Bitmap b = sampleBitmap();
    const auto image = parse(buildArtRecordFromBitmap(6, 4, b.pixels));
    ASSERT_NE(image, nullptr);
    const BlitRect all{0, 0, kSurfaceWidth, kSurfaceHeight};
    const std::vector<ClipCase> cases = {
        {"inside", all, 2, 2},
        {"left edge of the surface", all, -3, 1},
        {"right edge of the surface", all, 7, 1},
        {"top edge of the surface", all, 1, -2},
        {"bottom edge of the surface", all, 1, 6},
        {"top-left corner", all, -4, -3},
        {"bottom-right corner", all, 8, 7},
        {"wholly outside", all, 40, -20},
        {"clip cuts a run in two", {4, 0, 6, 8}, 3, 2},
        {"clip of one pixel", {5, 3, 6, 4}, 3, 2},
        {"empty clip", {5, 5, 5, 9}, 3, 2},
        {"clip larger than the surface", {-100, -100, 100, 100}, 6, 5},
        {"inverted clip", {8, 8, 2, 2}, 3, 2},
    };
    for (const ClipCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::fill(buffer_.begin(), buffer_.end(), kBackground);
        const std::vector<uint16_t> before = surface();
        BlitArtClipped(CopySpanTransparent, image.get(), c.clip, c.x, c.y);
        EXPECT_EQ(surface(), reference(before, kSurfaceWidth, b, c.clip, c.x, c.y));
    }
}

TEST_F(ArtBlit, UnclippedBlitStaysInsideTheSurface)
{
    const Bitmap b = sampleBitmap();
    const auto image = parse(buildArtRecordFromBitmap(6, 4, b.pixels));
    const BlitRect all{0, 0, kSurfaceWidth, kSurfaceHeight};
    for (const auto& [x, y] : std::vector<std::pair<int32_t, int32_t>>{{2, 2}, {-3, -1}, {8, 6}, {9, -3}}) {
        std::fill(buffer_.begin(), buffer_.end(), kBackground);
        const std::vector<uint16_t> before = surface();
        BlitArt(CopySpanTransparent, image.get(), x, y);
        EXPECT_EQ(surface(), reference(before, kSurfaceWidth, b, all, x, y)) << x << "," << y;
    }
}

TEST_F(ArtBlit, RandomImagesAndClipsMatchTheReference)
{
    platform::Random random(20240611);
    auto below = [&](int32_t n) { return static_cast<int32_t>(random.next() % n); };
    for (int iteration = 0; iteration < 300; ++iteration) {
        Bitmap b{1 + below(9), 1 + below(7), {}};
        for (int32_t i = 0; i < b.width * b.height; ++i) b.pixels.push_back(below(3) == 0 ? 0 : static_cast<uint16_t>(1 + below(0x7FFE)));
        const auto image = parse(buildArtRecordFromBitmap(static_cast<uint16_t>(b.width), static_cast<uint16_t>(b.height), b.pixels));
        ASSERT_NE(image, nullptr);
        const BlitRect clip{below(14) - 2, below(12) - 2, below(14) - 2, below(12) - 2};
        const int32_t x = below(20) - 8;
        const int32_t y = below(16) - 6;
        std::fill(buffer_.begin(), buffer_.end(), kBackground);
        const std::vector<uint16_t> before = surface();
        BlitArtClipped(CopySpanTransparent, image.get(), clip, x, y);
        ASSERT_EQ(surface(), reference(before, kSurfaceWidth, b, clip, x, y)) << "iteration " << iteration;
    }
}

TEST_F(ArtBlit, SpanRoutineDecidesHowPixelsCombine)
{
    // CopySpan writes the zeros inside a run; the transparent copy leaves them.
    const auto image = parse(buildArtRecord(4, {{{1, {7, 0, 9}}}}));
    BlitArtClipped(CopySpan, image.get(), {0, 0, kSurfaceWidth, kSurfaceHeight}, 0, 0);
    EXPECT_EQ(std::vector<uint16_t>(buffer_.begin(), buffer_.begin() + 4), (std::vector<uint16_t>{kBackground, 7, 0, 9}));
    std::fill(buffer_.begin(), buffer_.end(), kBackground);
    BlitArtClipped(CopySpanTransparent, image.get(), {0, 0, kSurfaceWidth, kSurfaceHeight}, 0, 0);
    EXPECT_EQ(std::vector<uint16_t>(buffer_.begin(), buffer_.begin() + 4), (std::vector<uint16_t>{kBackground, 7, kBackground, 9}));
}

TEST_F(ArtBlit, NothingIsDrawnWithoutImageOrTarget)
{
    BlitArtClipped(CopySpan, nullptr, {0, 0, kSurfaceWidth, kSurfaceHeight}, 0, 0);
    const auto image = parse(buildArtRecord(1, {{{0, {7}}}}));
    SetBlitTarget(nullptr, kPitch, kSurfaceWidth, kSurfaceHeight);
    BlitArt(CopySpan, image.get(), 0, 0);
    for (uint16_t p : buffer_) ASSERT_EQ(p, kBackground);
}

TEST(ArtImageReader, RunsAndGapsReadBack)
{
    // Row 0: skip 1, two pixels, skip 2 (from the end of the first run), one pixel.
    // Row 1: a count-0 run ends the row although run-like words follow it.
    const auto image = parse(buildArtRecord(8, {{{1, {11, 12}}, {2, {13}}}, {}}, {0, 3, 21, 22, 23}));
    ASSERT_NE(image, nullptr);
    struct Probe {
        int32_t x, y;
        uint16_t expected;
    };
    for (const Probe& p : std::vector<Probe>{{0, 0, 0},  {1, 0, 11},  {2, 0, 12}, {3, 0, 0}, {4, 0, 0}, {5, 0, 13}, {6, 0, 0},
                                             {7, 0, 0},  {0, 1, 0},   {1, 1, 0},  {2, 1, 0}, {-1, 0, 0}, {1, -1, 0},
                                             {1, 2, 0},  {100, 0, 0}}) {
        EXPECT_EQ(GetArtPixel(image.get(), p.x, p.y), p.expected) << p.x << "," << p.y;
    }
    EXPECT_EQ(GetArtPixel(nullptr, 0, 0), 0);
}

TEST(ArtImageReader, DamagedRecordsAreCutAtTheirEnds)
{
    const std::vector<uint8_t> good = buildArtRecord(4, {{{0, {1, 2, 3}}}, {{1, {4, 5}}}});
    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;
        bool readable;
        std::vector<uint16_t> row0;  // the four pixels of row 0 as GetArtPixel sees them
    };
    std::vector<uint8_t> pastWidth = buildArtRecord(4, {{{2, {1, 2, 3, 4}}}});
    std::vector<uint8_t> cutRun(good.begin(), good.begin() + 8 + 4 + 4 + 4);  // row 0's run keeps 2 of 3 pixels
    std::vector<uint8_t> badOffset = good;
    badOffset[8] = 0xFF;  // row 0 starts far past the record
    badOffset[9] = 0x7F;
    const std::vector<Case> cases = {
        {"intact", good, true, {1, 2, 3, 0}},
        {"run past the width is cut at it", pastWidth, true, {0, 0, 1, 2}},
        {"run past the record is cut at its end", cutRun, true, {1, 2, 0, 0}},
        {"row offset past the record gives an empty row", badOffset, true, {0, 0, 0, 0}},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 7), false, {}},
        {"row table cut short", std::vector<uint8_t>(good.begin(), good.begin() + 10), false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto image = parse(c.bytes);
        ASSERT_EQ(image != nullptr, c.readable);
        if (!image) continue;
        std::vector<uint16_t> row0;
        for (int32_t x = 0; x < 4; ++x) row0.push_back(GetArtPixel(image.get(), x, 0));
        EXPECT_EQ(row0, c.row0);
        for (const ArtRun& run : image->runs) {
            EXPECT_LE(run.x + run.count, image->width);
            EXPECT_LE(run.pixel + run.count, image->pixels.size());
        }
    }
}

TEST(ArtImageReader, RowsSharingRunsCannotMultiplyTheRecord)
{
    // 2000 rows whose offsets all lead to one run of 500 pixels: read naively this small record
    // would yield a million pixels. It yields at most its 504 words after the row table.
    constexpr uint16_t kRows = 2000;
    std::vector<uint8_t> bytes = {0, 0, 0, 0, 0x58, 0x02, static_cast<uint8_t>(kRows & 0xFF), static_cast<uint8_t>(kRows >> 8)};
    bytes.resize(bytes.size() + kRows * 2, 0);
    auto put16 = [&bytes](uint32_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    };
    put16(0);
    put16(500);
    for (uint32_t i = 1; i <= 500; ++i) put16(i);
    put16(0);
    put16(0);
    const auto image = parse(bytes);
    ASSERT_NE(image, nullptr);
    EXPECT_LE(image->pixels.size(), 504u);
    EXPECT_EQ(GetArtPixel(image.get(), 499, 0), 500);  // the first row is whole
    EXPECT_EQ(GetArtPixel(image.get(), 3, 1), 4);      // the second gets what is left
    EXPECT_EQ(GetArtPixel(image.get(), 4, 1), 0);
    EXPECT_EQ(GetArtPixel(image.get(), 0, kRows - 1), 0);
}

TEST(ArtImageById, ItemArtComesThroughTheDataCacheOnceParsed)
{
    testsupport::TempDir dir;
    testsupport::DataInstall install(dir.path());
    const std::vector<uint8_t> item = buildArtRecord(4, std::vector<ArtRowSpec>{ArtRowSpec{{1, {7, 8}}}, ArtRowSpec{{0, {9}}}});
    install.indexed(FILE_ART).add(0x4000 + 5, item);
    install.indexed(FILE_ART).add(0x4000 + 6, {1, 2, 3});  // too short for a header
    install.write();
    testsupport::ScopedDataCache cache(dir.path());
    ClearArtImageCache();

    const ArtImage* image = GetArtImage(0x4000 + 5);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 4);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(GetArtPixel(image, 1, 0), 7);
    EXPECT_EQ(GetArtPixel(image, 2, 0), 8);
    EXPECT_EQ(GetArtPixel(image, 0, 1), 9);
    EXPECT_EQ(GetArtImage(0x4000 + 5), image);  // kept, not read again
    EXPECT_EQ(GetArtImage(0x4000 + 6), nullptr);
    EXPECT_EQ(GetArtImage(0x4000 + 7), nullptr);  // no record
    EXPECT_EQ(GetArtImage(-1), nullptr);

    // A replacement the server sends is what the next request shows.
    const std::vector<uint8_t> replacement = buildArtRecord(3, std::vector<ArtRowSpec>{ArtRowSpec{{0, {5, 6, 7}}}});
    CDHDCache::AddVersionedItem(FILE_ARTIDX, FILE_ART, 0x4000 + 5, 0, replacement.data(),
                                static_cast<int32_t>(replacement.size()));
    image = GetArtImage(0x4000 + 5);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 1);
    EXPECT_EQ(GetArtPixel(image, 2, 0), 7);
    ClearArtImageCache();
}

} // namespace
