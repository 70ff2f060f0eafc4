/** @file The sample install's fonts: a small hex bitmap font converted and read back through both font readers. */
#include "client/data/font_manager.h"
#include "client/data/unicode_font.h"

#include "tests/support/temp_dir.h"
#include "tools/sample_install/write_fonts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<uint8_t> readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(FontSampleInstall, HexGlyphsBecomeBothFontFormats)
{
    testsupport::TempDir dir;
    // 'A': an 8-wide glyph whose ink spans columns 1..5 on rows 2 and 13; U+4E00: a 16-wide
    // bar on row 8 over columns 0..14; the space is blank; a damaged line is skipped.
    const std::string hex = "0020:00000000000000000000000000000000\n"
                            "0041:00007C000000000000000000007C0000\n"
                            "4E00:" + std::string(32, '0') + "FFFE" + std::string(28, '0') + "\n"
                            "0042:XYZ\n";
    const std::string hexFile = dir.write("font.hex", hex);
    const sampleinstall::Layout layout(dir.path());
    std::filesystem::create_directories(layout.install);
    std::string error;
    ASSERT_TRUE(sampleinstall::writeFonts(layout, error, hexFile)) << error;

    const std::vector<uint8_t> fonts = readAll(layout.install / "fonts.mul");
    ASSERT_EQ(FontManager::loadFontsFrom(fonts.data(), fonts.size()), 10);
    EXPECT_EQ(FontManager::GetCharWidth(0, 'A'), 7);  // ink to column 5, plus one of spacing
    EXPECT_EQ(FontManager::GetCharWidth(9, ' '), 4);
    EXPECT_EQ(FontManager::IsFontLoaded(10), 0);
    int32_t w = 0, h = 0, base = 0;
    FontManager::GetStringExtent(0, "A", &w, &h, &base);
    EXPECT_EQ(h, 16);
    EXPECT_EQ(base, 13);
    FontManager::unloadFonts();

    for (const char* name : {"unifont.mul", "unifont1.mul", "unifont2.mul"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> unicode = readAll(layout.install / name);
        setUnicodeFontData(0, unicode.data(), unicode.size());
        int32_t xo = 0, yo = 0, gw = 0, gh = 0;
        const uint8_t* rows = UnicodeGetGlyph(0x4E00, &xo, &yo, &gw, &gh);
        ASSERT_NE(rows, nullptr);
        EXPECT_EQ(gw, 15);
        EXPECT_EQ(gh, 16);
        EXPECT_EQ(yo, 1);
        EXPECT_EQ(rows[8 * 2], 0xFF);
        EXPECT_EQ(rows[8 * 2 + 1], 0xFE);
        EXPECT_EQ(UnicodeGetCharWidth(u'A'), 7);
        EXPECT_FALSE(UnicodeHasGlyph(u'B'));
        unloadUnicodeFonts();
    }
    EXPECT_FALSE(sampleinstall::writeFonts(layout, error, dir.file("missing.hex")));
}

} // namespace
