/** @file Tests of gump art access: size, clipped drawing, pixel tests, damaged entries and raw image blits. */
#include "client/data/data_files.h"
#include "client/data/gump_art.h"
#include "tests/core/report_sandbox.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

void copyRow(uint16_t* dest, const uint16_t* src, int32_t count)
{
    std::memcpy(dest, src, static_cast<size_t>(count) * 2);
}

void transparentRow(uint16_t* dest, const uint16_t* src, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        if (src[i] != 0) dest[i] = src[i];
}

// A 12 x 2 image: columns 0..9 colour A, 10..11 colour B on row 0; row 1 transparent then C.
const std::vector<std::string> kRows = {"AAAAAAAAAABB", "......CCCCCC"};
const std::map<char, uint16_t> kPalette = {{'A', 0x001F}, {'B', 0x03E0}, {'C', 0x7C00}};

class GumpArtTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::DataInstall install(dir.path());
        const formats::GumpArt art = formats::encodeGumpArt(12, 2, testsupport::pixelsFromRows(kRows, kPalette));
        install.indexed(FILE_GUMPART).add(5, art.data, art.extra);
        // Entry 6: a row offset far outside the entry.  Entry 7: one run longer than the width.
        formats::LeWriter bad;
        bad.u32(1000).u32(2).u32(0x00030005);
        install.indexed(FILE_GUMPART).add(6, bad.data(), 3u << 16 | 2);
        formats::LeWriter longRun;
        longRun.u32(1).u32(0xFFFF0007);
        install.indexed(FILE_GUMPART).add(7, longRun.data(), 4u << 16 | 1);
        install.write();
    }
    std::vector<uint16_t> draw(int32_t id, int32_t x, int32_t y, const ClipRect* clip = nullptr)
    {
        std::vector<uint16_t> surface(8 * 4, 0xFFFF);
        if (clip != nullptr)
            DrawGumpArtClipped(copyRow, id, *clip, x, y, surface.data(), 8, 4);
        else
            DrawGumpArt(copyRow, id, x, y, surface.data(), 8, 4);
        return surface;
    }
    testsupport::TempDir dir;
};

TEST_F(GumpArtTest, SizeComesFromTheIndexExtra)
{
    testsupport::ScopedDataCache cache(dir.path());
    int32_t w = -1, h = -1;
    GetGumpArtSize(5, &w, &h);
    EXPECT_EQ(w, 12);
    EXPECT_EQ(h, 2);
    GetGumpArtSize(99, &w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
}

TEST_F(GumpArtTest, DrawingIsCutAtTheSurfaceAndTheClipRectangle)
{
    testsupport::ScopedDataCache cache(dir.path());
    // At x = -10 the image's columns 10 onward land at the left edge.
    auto s = draw(5, -10, 0);
    EXPECT_EQ(s[0], 0x03E0);
    EXPECT_EQ(s[1], 0x03E0);
    EXPECT_EQ(s[2], 0xFFFF);
    EXPECT_EQ(s[8], 0x7C00);

    s = draw(5, 2, 3); // only row 0 fits, columns up to the pitch
    EXPECT_EQ(s[3 * 8 + 1], 0xFFFF);
    EXPECT_EQ(s[3 * 8 + 2], 0x001F);
    EXPECT_EQ(s[3 * 8 + 7], 0x001F);
    EXPECT_EQ(s[2 * 8 + 2], 0xFFFF);

    const ClipRect clip{3, 1, 5, 2};
    s = draw(5, 0, 0, &clip);
    for (int32_t i = 0; i < 32; ++i) {
        const bool inside = i / 8 == 1 && i % 8 >= 3 && i % 8 < 5;
        EXPECT_EQ(s[static_cast<size_t>(i)], inside ? 0 : 0xFFFF) << i; // row 1 columns 3..4 are transparent
    }
    const ClipRect away{20, 20, 30, 30};
    s = draw(5, 0, 0, &away);
    EXPECT_EQ(s, std::vector<uint16_t>(32, 0xFFFF));
}

TEST_F(GumpArtTest, PixelTestFollowsTheRuns)
{
    testsupport::ScopedDataCache cache(dir.path());
    struct Case {
        int32_t x, y;
        uint16_t expected;
    };
    const Case cases[] = {{0, 0, 0x001F}, {9, 0, 0x001F}, {10, 0, 0x03E0}, {5, 1, 0}, {6, 1, 0x7C00},
                          {12, 0, 0},     {-1, 0, 0},     {0, 2, 0}};
    for (const Case& c : cases) EXPECT_EQ(GetGumpArtPixel(5, c.x, c.y), c.expected) << c.x << "," << c.y;
    EXPECT_EQ(GetGumpArtPixel(99, 0, 0), 0);
}

TEST_F(GumpArtTest, DamagedEntriesStayInsideTheirBytes)
{
    testsupport::ReportSandbox sandbox;
    testsupport::ScopedDataCache cache(dir.path());
    // A row pointing outside the entry: the image is absent, with a log line naming it.
    auto s = draw(6, 0, 0);
    EXPECT_EQ(s, std::vector<uint16_t>(32, 0xFFFF));
    EXPECT_EQ(GetGumpArtPixel(6, 0, 1), 0);
    EXPECT_NE(sandbox.read("KZReport0.log").find("gump art 6 has a damaged row table"), std::string::npos);
    s = draw(7, 0, 0); // a run past the width is cut at it
    EXPECT_EQ(s[3], 0x0007);
    EXPECT_EQ(s[4], 0xFFFF);
}

TEST_F(GumpArtTest, In565ModeDrawnPixelsAreConverted)
{
    testsupport::ScopedDataCache::Options options;
    options.use565 = true;
    testsupport::ScopedDataCache cache(dir.path(), options);
    std::vector<uint16_t> surface(8 * 4, 0x0421);
    DrawGumpArt(transparentRow, 5, -4, 0, surface.data(), 8, 4);
    EXPECT_EQ(surface[0], 0x001F); // blue keeps its bits
    EXPECT_EQ(surface[6], 0x07C0); // green widens
    EXPECT_EQ(surface[8], 0x0421); // transparent source: untouched
    EXPECT_EQ(surface[10], 0xF800); // red moves up one bit
    EXPECT_EQ(GetGumpArtPixel(5, 10, 0), Convert555To565(0x03E0));
}

TEST(BlitImageRows, CutsOnEverySide)
{
    const std::vector<uint16_t> image = {1, 2, 3, 4, 5, 6}; // 3 x 2
    std::vector<uint16_t> surface(4 * 3, 0);
    BlitImageRows(copyRow, image.data(), 3, 2, -1, -1, surface.data(), 4, 3);
    EXPECT_EQ(surface, (std::vector<uint16_t>{5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    surface.assign(12, 0);
    BlitImageRowsClipped(copyRow, image.data(), ClipRect{0, 0, 3, 2}, 3, 2, 2, 1, surface.data(), 4, 3);
    EXPECT_EQ(surface, (std::vector<uint16_t>{0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
}

} // namespace
