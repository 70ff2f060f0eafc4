/** @file Tests of the 8-bit bitmap fonts: loading, measuring, wrapping, drawing with hues and shading, and the surface primitives. */
#include "client/data/font_manager.h"

#include "client/core/config_store.h"
#include "client/data/span_routines.h"
#include "tests/support/font_builder.h"

#include "platform/message_box/message_box.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::blockFont;
using testsupport::blockGlyph;
using testsupport::blockPixel;
using testsupport::buildFontsMul;

constexpr int kBlock = 1;   // every glyph 3 x 4, bottom row on the pen (hue mode 1)
constexpr int kShapes = 4;  // mixed sizes (hue mode 0)

uint16_t rgb(int r, int g, int b) { return static_cast<uint16_t>(r << 10 | g << 5 | b); }

class Fonts : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::AsciiFontSpec shapes = blockFont(2, 2, 1);
        shapes['A'] = blockGlyph('A', 3, 5, 4);
        shapes['g'] = blockGlyph('g', 3, 4, 1);
        shapes['x'] = {0, 0, 0, {}};  // absent
        shapes['G'] = {2, 1, 0, {rgb(9, 9, 9), rgb(9, 2, 2)}};  // one grey pixel, one coloured
        std::vector<std::optional<testsupport::AsciiFontSpec>> slots(5);
        slots[kBlock] = blockFont(3, 4, 3);
        slots[kShapes] = shapes;
        const std::vector<uint8_t> bytes = buildFontsMul(slots);
        ASSERT_EQ(FontManager::loadFontsFrom(bytes.data(), bytes.size()), 2);
        pixels_.assign(static_cast<size_t>(kPitch * kHeight), kBackground);
        FontManager::resetMissingFontNotice();
    }
    void TearDown() override
    {
        FontManager::unloadFonts();
        FontManager::setShadedFonts(false);
        FontManager::setUse565(false);
        resetSpanState();
    }

    PixelSurface surface() { return PixelSurface{pixels_.data(), kPitch, kWidth, kHeight}; }
    uint16_t at(int x, int y) const { return pixels_[static_cast<size_t>(y * kPitch + x)]; }
    /** Pixels that changed, outside the surface included (the pitch is wider than the width). */
    int changed() const
    {
        int n = 0;
        for (uint16_t p : pixels_) n += p != kBackground;
        return n;
    }

    static constexpr int kWidth = 16;
    static constexpr int kHeight = 10;
    static constexpr int kPitch = 20;
    static constexpr uint16_t kBackground = 0x7001;
    const BlitRect all_{0, 0, kWidth, kHeight};
    std::vector<uint16_t> pixels_;
};

TEST_F(Fonts, SlotsOutsideTheTableAndEmptySlotsBehaveAlike)
{
    for (int font : {-1, 0, 2, 25}) {
        SCOPED_TRACE(font);
        int32_t w = -7;
        EXPECT_EQ(FontManager::IsFontLoaded(font), 0);
        EXPECT_EQ(FontManager::HasGlyph(font, 'A'), 0);
        EXPECT_EQ(FontManager::GetCharWidth(font, 'A'), 0);
        EXPECT_EQ(FontManager::GetStringWidthN(font, 3, "abc"), 0);
        EXPECT_EQ(FontManager::GetStringExtent(font, "abc", &w, nullptr, nullptr), 0);
        EXPECT_EQ(FontManager::CalcInfoWrap(font, "abc", 10, &w, &w, &w, 0), 0);
        EXPECT_EQ(FontManager::DrawstringBuf(0, 0, font, 0, "abc", 10, surface(), all_, 0, 0, 0), 0);
    }
    EXPECT_EQ(FontManager::IsFontLoaded(kBlock), 1);
    EXPECT_EQ(FontManager::HasGlyph(kShapes, 'x'), 0);
    EXPECT_EQ(FontManager::HasGlyph(kBlock, 31), 0);
    EXPECT_EQ(FontManager::GetCharWidth(kBlock, 200), 3);  // the upper half has glyphs too
    EXPECT_EQ(FontManager::GetStringWidthN(kBlock, 2, "\xE9\xE9\xE9"), 6);
}

TEST_F(Fonts, AFontCutShortIsLeftOutAndTheOnesBeforeItStay)
{
    std::vector<uint8_t> bytes = buildFontsMul({blockFont(3, 4, 3), blockFont(2, 2, 1)});
    bytes.resize(bytes.size() - 5);
    EXPECT_EQ(FontManager::loadFontsFrom(bytes.data(), bytes.size()), 1);
    EXPECT_EQ(FontManager::IsFontLoaded(0), 1);
    EXPECT_EQ(FontManager::IsFontLoaded(1), 0);

    // One font's glyph block on its own, as a font patch carries it.
    const std::vector<uint8_t> one = buildFontsMul({blockFont(3, 4, 3)});
    size_t used = 0;
    const auto font = ReadFontGlyphs(one.data() + 1, one.size() - 1, &used);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(used, one.size() - 1);
    EXPECT_EQ(font->glyph('A')->pixels.at(5), blockPixel('A', 1, 2));
    EXPECT_EQ(ReadFontGlyphs(one.data() + 1, one.size() - 2, &used), nullptr);
}

TEST_F(Fonts, ExtentTakesTheTallestPartsAboveAndBelowThePen)
{
    int32_t w = 0, h = 0, base = 0;
    ASSERT_EQ(FontManager::GetStringExtent(kShapes, "Agx", &w, &h, &base), 1);
    // 'A' reaches 1 row above the pen row, 'g' 3; 'A' reaches 4 rows down.
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 7);
    EXPECT_EQ(base, 2);
}

TEST_F(Fonts, WrapPositionsFollowTheBreakRules)
{
    // Block glyphs are 3 wide and 4 high, so y gives the line number times 4.
    struct Case {
        std::string name;
        std::string text;
        int32_t width, n, x, y;
    };
    const std::vector<Case> cases = {
        {"whole text fits", "abc", 100, 3, 9, 0},
        {"a long word splits mid-word", "abcdefgh", 9, 4, 3, 4},
        {"third line of a split word", "abcdefgh", 9, 7, 3, 8},
        {"a first character too wide stays whole", "abc", 2, 2, 6, 0},
        {"space at index 2 is a break point", "ab c", 9, 3, 0, 4},
        {"the dropped space counts as a position", "ab c", 9, 2, 6, 0},
        {"space at index 1 is no break point", "a bc", 6, 2, 0, 4},
        {"the space stays on the first line", "a bc", 6, 1, 3, 0},
        {"past the end measures the last line", "ab cd", 9, 40, 6, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t x = -1, y = -1;
        FontManager::GetStringWrapEndXY(kBlock, c.n, c.text.c_str(), c.width, &x, &y);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
    EXPECT_EQ(FontManager::GetWrapIndexAtXY(kBlock, "ab cd", 9, 3, 4), 4);
    EXPECT_EQ(FontManager::GetWrapIndexAtXY(kBlock, "ab cd", 9, 0, 0), 0);

    int32_t reached = 0;
    EXPECT_EQ(FontManager::FindWrapPoint(kBlock, "ab cd", 9, &reached), 1);
    EXPECT_EQ(FontManager::FindWrapPoint(kBlock, "abcdef", 9, &reached), 2);
    EXPECT_EQ(FontManager::FindWrapPoint(kBlock, "ab", 9, &reached), -1);
    EXPECT_EQ(reached, 6);
    EXPECT_EQ(FontManager::GetCharIndexAtX(kBlock, "abcd", 7), 2);
    EXPECT_EQ(FontManager::GetCharIndexAtX(kBlock, "abcd", 3), 0);
}

TEST_F(Fonts, AWrapPointAndItsLineHeightInOneScanMatchTheTwoCalls)
{
    // The two calls: the break index, then the extent of the line it cuts (all of the text at -1).
    auto twoCalls = [](int font, const std::string& text, int32_t width, int32_t* height) {
        int32_t reached = 0;
        const int32_t end = FontManager::FindWrapPoint(font, text.c_str(), width, &reached);
        const std::string line = end < 0 ? text : text.substr(0, static_cast<size_t>(end) + 1);
        *height = 0;
        FontManager::GetStringExtent(font, line.c_str(), nullptr, height, nullptr);
        return end;
    };
    auto check = [&](int font, const std::string& text, int32_t width) {
        int32_t expectedHeight = -1, height = -1;
        const int32_t expectedEnd = twoCalls(font, text, width, &expectedHeight);
        EXPECT_EQ(FontManager::FindWrapPointAndHeight(font, text.c_str(), width, &height), expectedEnd)
            << font << " '" << text << "' " << width;
        EXPECT_EQ(height, expectedHeight) << font << " '" << text << "' " << width;
        // The width sums read the same glyphs as the extent.
        int32_t extentWidth = 0;
        FontManager::GetStringExtent(font, text.c_str(), &extentWidth, nullptr, nullptr);
        EXPECT_EQ(FontManager::GetStringWidthN(font, static_cast<int32_t>(text.size()), text.c_str()), extentWidth)
            << font << " '" << text << "'";
    };
    // In the shapes font 'A' is tall and deep, 'g' tall, 'G' flat, 'x' absent and the rest 2 x 2;
    // below 32 (a line feed among them) nothing has a glyph. The widths run from below zero (a
    // field narrower than its margins) past glyphs wider than the line to the whole text.
    const std::vector<std::string> texts = {
        "", "a", "ab cd", "abcdef", "a bc", "ab c", "  ab", "ab  cd ef", "gAg x gg", "xxxx", "x A", "ggg A",
        "aaA", "Ag gA", "a\nb c", "abc\ndef gh", "G G G G", "ab cdAef g", "AAAA AAAA", "b\xe9\x85 \xff\x1f",
    };
    const int32_t widths[] = {-5, -1, 0, 1, 2, 3, 4, 5, 6, 7, 9, 12, 100};
    for (int font : {kBlock, kShapes, 2, 25})
        for (const std::string& text : texts)
            for (int32_t width : widths)
                check(font, text, width);
    // Every text of up to five characters from a small set, on the uneven font.
    const char alphabet[] = {'a', ' ', 'A', 'g', 'x', 'G', '\n'};
    std::string text;
    std::function<void()> grow = [&] {
        for (int32_t width : {-1, 0, 2, 3, 5, 8})
            check(kShapes, text, width);
        if (text.size() == 5 || ::testing::Test::HasFailure())
            return;
        for (char c : alphabet) {
            text.push_back(c);
            grow();
            text.pop_back();
        }
    };
    grow();
}

TEST_F(Fonts, MeasuresFollowTheFontPutIntoASlot)
{
    for (int c = -300; c < 600; ++c) {
        const char one[2] = {static_cast<char>(c), 0};
        int32_t w = 0;
        FontManager::GetStringExtent(kShapes, one, &w, nullptr, nullptr);
        EXPECT_EQ(FontManager::GetCharWidth(kShapes, c), c >= 0 && c < 256 ? w : 0) << c;
    }
    // A replaced slot measures with the new font at once, an emptied one measures nothing.
    auto wide = std::make_unique<CFont>();
    wide->glyphs['a' - 32] = std::make_unique<FontGlyph>(FontGlyph{5, 3, std::vector<uint16_t>(15, 1)});
    wide->verticals['a' - 32] = 2;
    FontManager::replaceFont(kShapes, std::move(wide));
    int32_t height = 0;
    EXPECT_EQ(FontManager::GetCharWidth(kShapes, 'a'), 5);
    EXPECT_EQ(FontManager::GetStringWidthN(kShapes, 3, "aba"), 10);
    EXPECT_EQ(FontManager::FindWrapPointAndHeight(kShapes, "ab a", 100, &height), -1);
    EXPECT_EQ(height, 3);
    FontManager::replaceFont(kShapes, nullptr);
    EXPECT_EQ(FontManager::GetCharWidth(kShapes, 'a'), 0);
    EXPECT_EQ(FontManager::GetStringWidthN(kShapes, 3, "aba"), 0);
    EXPECT_EQ(FontManager::FindWrapPointAndHeight(kShapes, "ab a", 1, &height), -1);
    EXPECT_EQ(height, 0);
    // Unloading empties every slot; loading again measures the loaded fonts.
    FontManager::unloadFonts();
    EXPECT_EQ(FontManager::GetStringWidthN(kBlock, 2, "ab"), 0);
    const std::vector<uint8_t> bytes = buildFontsMul({std::nullopt, blockFont(3, 4, 3)});
    ASSERT_EQ(FontManager::loadFontsFrom(bytes.data(), bytes.size()), 1);
    EXPECT_EQ(FontManager::GetStringWidthN(kBlock, 2, "ab"), 6);
    EXPECT_EQ(FontManager::FindWrapPointAndHeight(kBlock, "ab", 100, &height), -1);
    EXPECT_EQ(height, 4);
}

TEST_F(Fonts, WrapMeasuresAndIndentsWithoutRunningAway)
{
    int32_t widest = 0, height = 0, base = 0;
    ASSERT_EQ(FontManager::CalcInfoWrap(kBlock, "abc de fghij", 12, &widest, &height, &base, 0), 1);
    EXPECT_EQ(widest, 12);  // lines "abc", "de", "fghi", "j"
    EXPECT_EQ(height, 16);
    EXPECT_EQ(base, 0);  // block glyphs sit on the pen row, so every baseline is 0
    // An indent wider than the wrap width gives lines of spaces only; the layout still ends.
    EXPECT_EQ(FontManager::CalcInfoWrap(kBlock, "abc de fghij", 12, &widest, &height, &base, 6), 1);
    EXPECT_EQ(FontManager::CalcInfoWrap(kBlock, std::string(300, 'w').c_str(), 5, &widest, &height, &base, 100000), 1);
    EXPECT_LE(widest, 511 * 3);  // no line, indent included, outgrows the 512-byte work buffer
    // Line height 0 advances by the measured height, any other value by itself.
    EXPECT_EQ(FontManager::DrawstringBuf(0, 0, kBlock, 0, "ab cd", 9, surface(), all_, 0, 0, 0), 8);
    EXPECT_EQ(FontManager::DrawstringBuf(0, 0, kBlock, 0, "ab cd", 9, surface(), all_, 0, 14, 0), 28);
}

TEST_F(Fonts, DrawStringPlacesGlyphsAndClipsAtEveryEdge)
{
    struct Case {
        std::string name;
        int32_t x, y;
        BlitRect clip;
        int glyphsDrawn;  // whole glyphs, columns-wise
        int rowsDrawn;    // rows of each glyph
    };
    const std::vector<Case> cases = {
        {"inside", 1, 1, all_, 3, 4},
        {"glyph across the right clip ends the line", 1, 1, {0, 0, 8, kHeight}, 2, 4},
        {"glyph across the surface's right edge ends the line", 9, 1, {0, 0, 100, 100}, 2, 4},
        {"first glyph left of the clip draws nothing", -1, 1, all_, 0, 4},
        {"rows above the top are skipped", 1, -2, all_, 3, 2},
        {"rows below the bottom are skipped", 1, 8, all_, 3, 2},
        {"negative clip is cut to the surface", 0, 0, {-50, -50, 50, 50}, 3, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::fill(pixels_.begin(), pixels_.end(), kBackground);
        EXPECT_EQ(FontManager::DrawString(c.x, c.y, kBlock, 0, "abc", surface(), c.clip), 1);
        EXPECT_EQ(changed(), c.glyphsDrawn * 3 * c.rowsDrawn);
        if (c.glyphsDrawn > 0 && c.rowsDrawn == 4) {
            // The line's top is y: 'b' (second glyph) row 2, column 1.
            EXPECT_EQ(at(c.x + 3 + 1, c.y + 2), blockPixel('b', 2, 1));
        }
    }
}

TEST_F(Fonts, HuesRecolourAllPixelsOrOnlyGreyOnesByFontMode)
{
    // Hue h's ramp entry i is 0x4000 | h << 5 | i.
    std::vector<uint16_t> hues(static_cast<size_t>(kHueEntryWords) * 10);
    for (int h = 0; h < 10; ++h)
        for (int i = 0; i < 32; ++i) hues[static_cast<size_t>(h * kHueEntryWords + i)] = static_cast<uint16_t>(0x4000 | h << 5 | i);
    setSpanHueTable(hues.data(), 10);
    // Shapes font (mode 0): both pixels take ramp[red]; hue 3 is entry 2.
    FontManager::DrawString(0, 0, kShapes, 3, "G", surface(), all_);
    EXPECT_EQ(at(0, 0), 0x4000 | 2 << 5 | 9);
    EXPECT_EQ(at(1, 0), 0x4000 | 2 << 5 | 9);
    // The same glyph through a mode-1 font recolours only the grey pixel.
    auto mode1 = std::make_unique<CFont>();
    mode1->hueMode = 1;
    mode1->glyphs['G' - 32] = std::make_unique<FontGlyph>(FontGlyph{2, 1, {rgb(9, 9, 9), rgb(9, 2, 2)}});
    FontManager::replaceFont(7, std::move(mode1));
    FontManager::DrawString(0, 2, 7, 3, "G", surface(), all_);
    EXPECT_EQ(at(0, 2), 0x4000 | 2 << 5 | 9);
    EXPECT_EQ(at(1, 2), rgb(9, 2, 2));
    // A hue past the table draws the glyph's own colours.
    FontManager::DrawString(0, 4, kShapes, 500, "G", surface(), all_);
    EXPECT_EQ(at(1, 4), rgb(9, 2, 2));
}

TEST_F(Fonts, ShadedFontsDarkenRowByRow)
{
    auto font = std::make_unique<CFont>();
    font->glyphs['|' - 32] = std::make_unique<FontGlyph>(FontGlyph{1, 4, std::vector<uint16_t>(4, rgb(10, 0, 5))});
    font->verticals['|' - 32] = 3;
    FontManager::replaceFont(9, std::move(font));
    ShadedFonts = 1;  // the kz.cfg switch itself, as the configuration applier sets it
    FontManager::DrawString(0, 0, 9, 0, "|", surface(), all_);
    // k = (row + 1) / 2; a channel not above k becomes 1.
    EXPECT_EQ(at(0, 0), rgb(10, 1, 5));
    EXPECT_EQ(at(0, 1), rgb(9, 1, 4));
    EXPECT_EQ(at(0, 2), rgb(9, 1, 4));
    EXPECT_EQ(at(0, 3), rgb(8, 1, 3));
    // Rows are counted from the first row drawn.
    std::fill(pixels_.begin(), pixels_.end(), kBackground);
    FontManager::DrawString(0, -2, 9, 0, "|", surface(), all_);
    EXPECT_EQ(at(0, 0), rgb(10, 1, 5));
    EXPECT_EQ(at(0, 1), rgb(9, 1, 4));
    // A 5-6-5 display gets each shaded pixel converted: green and red move up a bit, blue stays.
    use565 = 1;
    FontManager::DrawString(0, 0, 9, 0, "|", surface(), all_);
    EXPECT_EQ(at(0, 0), 10 << 11 | 1 << 6 | 5);
    EXPECT_EQ(at(0, 3), 8 << 11 | 1 << 6 | 3);
    // Without the switch the glyph's own pixels are copied.
    ShadedFonts = 0;
    FontManager::DrawString(0, 0, 9, 0, "|", surface(), all_);
    EXPECT_EQ(at(0, 3), rgb(10, 0, 5));
}

TEST_F(Fonts, MissingFontIsShownOnceThenOnlyLogged)
{
    platform::RecordingMessageBoxSink sink;
    platform::ScopedMessageBoxSink scoped(sink);
    EXPECT_EQ(FontManager::DrawString(0, 0, 3, 0, "a", surface(), all_), 0);
    EXPECT_EQ(FontManager::DrawStringBufEllips(0, 0, 25, 0, "a", surface(), all_), 0);
    EXPECT_EQ(FontManager::DrawWideStringEllips(0, 0, -1, 0, u"a", surface(), all_), 0);
    ASSERT_EQ(sink.count(), 1u);
    EXPECT_EQ(sink.boxes()[0].caption, "Error");
    EXPECT_EQ(sink.boxes()[0].text, "Missing Font!");
}

TEST_F(Fonts, EllipsisCutsToTheClipAndFitsDrawWhole)
{
    // Clip right 14: "abcdef" (18 wide) does not fit; keep "a" (3) + "..." (9) = 12.
    FontManager::DrawStringBufEllips(0, 0, kBlock, 0, "abcdef", surface(), {0, 0, 14, kHeight});
    EXPECT_EQ(at(0, 0), blockPixel('a', 0, 0));
    EXPECT_EQ(at(3, 0), blockPixel('.', 0, 0));
    EXPECT_EQ(at(9, 0), blockPixel('.', 0, 0));
    EXPECT_EQ(at(12, 0), kBackground);
    std::fill(pixels_.begin(), pixels_.end(), kBackground);
    FontManager::DrawStringBufEllips(0, 0, kBlock, 0, "abcd", surface(), {0, 0, 14, kHeight});
    EXPECT_EQ(at(9, 0), blockPixel('d', 0, 0));
    // Wide text: a character above 255 has no glyph and ends the line.
    std::fill(pixels_.begin(), pixels_.end(), kBackground);
    FontManager::DrawWideStringEllips(0, 0, kBlock, 0, u"a\u4E00b", surface(), all_);
    EXPECT_EQ(at(0, 0), blockPixel('a', 0, 0));
    EXPECT_EQ(at(3, 0), kBackground);
}

TEST_F(Fonts, EllipsisCutsWhereRemeasuringAfterEachDroppedCharacterCuts)
{
    // The cut as first written: the whole text measured again after every character dropped.
    auto remeasured = [](int font, std::string s, int32_t x, int32_t right) {
        auto widthOf = [font](const std::string& t) {
            int32_t w = 0;
            FontManager::GetStringExtent(font, t.c_str(), &w, nullptr, nullptr);
            return w;
        };
        if (x + widthOf(s) > right) {
            const int32_t dots = 3 * FontManager::GetCharWidth(font, '.');
            while (!s.empty() && x + widthOf(s) + dots > right)
                s.pop_back();
            s += "...";
        }
        return s;
    };
    const std::vector<std::string> texts = {"", "abcdef", "AxAxA", "gAGgAG", "xxxxxxxxxxxx", "a\x01" "bcdefgh", "AAAAAAA"};
    for (const std::string& text : texts) {
        for (int32_t x : {-3, 0, 2, 5}) {
            for (int32_t right : {0, 4, 7, 9, 12, 14, kWidth}) {
                SCOPED_TRACE(text + " " + std::to_string(x) + " " + std::to_string(right));
                const BlitRect clip{0, 0, right, kHeight};
                std::fill(pixels_.begin(), pixels_.end(), kBackground);
                FontManager::DrawString(x, 0, kShapes, 0, remeasured(kShapes, text, x, right).c_str(), surface(), clip);
                const std::vector<uint16_t> expected = pixels_;
                std::fill(pixels_.begin(), pixels_.end(), kBackground);
                EXPECT_EQ(FontManager::DrawStringBufEllips(x, 0, kShapes, 0, text.c_str(), surface(), clip), 1);
                EXPECT_EQ(pixels_, expected);
            }
        }
    }
}

TEST(SurfacePrimitives, LinesAndFillsStayInsideTheSurface)
{
    constexpr uint16_t kPitch = 6, kRows = 5;
    std::vector<uint16_t> s(2 + kPitch * kRows, 0);
    s[0] = kPitch;
    s[1] = kRows;
    auto px = [&](int x, int y) { return s[static_cast<size_t>(2 + y * kPitch + x)]; };
    auto count = [&](uint16_t v) { return static_cast<int>(std::count(s.begin() + 2, s.end(), v)); };

    DrawSurfaceLine(4, 1, 1, 1, 7, s.data());  // horizontal, right to left, both ends
    EXPECT_EQ(count(7), 4);
    EXPECT_EQ(px(1, 1), 7);
    EXPECT_EQ(px(4, 1), 7);
    DrawSurfaceLine(0, 0, 4, 2, 8, s.data());  // diagonal: first point in, last point out
    EXPECT_EQ(count(8), 4);
    EXPECT_EQ(px(0, 0), 8);
    EXPECT_EQ(px(3, 1), 8);
    EXPECT_EQ(px(4, 2), 0);
    DrawSurfaceLine(-10, 3, 100, 3, 9, s.data());  // far outside: clipped, not written past the rows
    EXPECT_EQ(count(9), kPitch);

    std::fill(s.begin() + 2, s.end(), 0);
    FillSurfaceRect(1, 1, 2, 2, 5, s.data());  // pairs from even column 0, rows from even row 0
    EXPECT_EQ(count(5), 4);
    EXPECT_EQ(px(0, 0), 5);
    EXPECT_EQ(px(1, 1), 5);
    FillSurfaceRect(-3, -3, 40, 40, 6, s.data());
    EXPECT_EQ(count(6), kPitch * kRows);

    DrawSurfaceLineBlend(0, 0, 0, 4, s.data());  // 6 -> half brightness
    EXPECT_EQ(px(0, 4), 3);
    std::vector<uint16_t> source(s.size(), 0);
    source[0] = kPitch;
    source[1] = kRows;
    source[static_cast<size_t>(2 + 2 * kPitch + 5)] = 0x1234;
    CopySurfaceLine(5, 0, 5, 4, s.data(), source.data());
    EXPECT_EQ(px(5, 2), 0x1234);
    EXPECT_EQ(px(5, 1), 0);
}

} // namespace
