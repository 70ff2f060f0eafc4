/** @file Tests of the Unicode fonts: glyph checks, advances, styles, the line-break rule, wrapping and drawing. */
#include "client/data/unicode_font.h"
#include "client/data/unicode_font_pixels.h"

#include "tests/support/unicode_font_builder.h"

#include "platform/message_box/message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::inkBlock;

constexpr char16_t kIdeograph1 = 0x4E00;
constexpr char16_t kIdeograph2 = 0x4E01;
constexpr char16_t kIdeograph3 = 0x4E02;
constexpr char16_t kOpenBracket = 0x300C;
constexpr char16_t kFullStop = 0x3002;

class UnicodeText : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::map<char16_t, testsupport::UnicodeGlyphSpec> glyphs;
        for (char16_t c = u'a'; c <= u'z'; ++c) glyphs[c] = inkBlock(3, 2);  // advance 4
        for (char16_t c : {kIdeograph1, kIdeograph2, kIdeograph3, kOpenBracket, kFullStop}) glyphs[c] = inkBlock(6, 2);  // advance 7
        glyphs[u'|'] = inkBlock(1, 10);
        glyphs[u'x'] = {1, 3, {"#.#", ".#."}};
        glyphs[u'Z'] = inkBlock(0, 2);   // zero width: absent
        glyphs[u'Y'] = inkBlock(2, 2);   // made damaged below
        font0_ = testsupport::buildUnicodeFont(glyphs);
        // 'Y' gets a negative height; 'W' points past the end; 'V' has rows running past the end.
        font0_[testsupport::glyphOffset(font0_, u'Y') + 3] = 0xFE;
        testsupport::setGlyphOffset(font0_, u'W', static_cast<uint32_t>(font0_.size() + 10));
        const uint32_t tail = static_cast<uint32_t>(font0_.size());
        font0_.insert(font0_.end(), {0, 0, 16, 100, 0xFF});
        testsupport::setGlyphOffset(font0_, u'V', tail);
        font1_ = testsupport::buildUnicodeFont({{u'a', inkBlock(5, 2)}});
        unloadUnicodeFonts();
        setUnicodeFontData(0, font0_.data(), font0_.size());
        setUnicodeFontData(1, font1_.data(), font1_.size());
        pixels_.assign(static_cast<size_t>(kPitch * kHeight), kBackground);
    }
    void TearDown() override { unloadUnicodeFonts(); }

    PixelSurface surface() { return PixelSurface{pixels_.data(), kPitch, kWidth, kHeight}; }
    uint16_t at(int x, int y) const { return pixels_[static_cast<size_t>(y * kPitch + x)]; }
    int count(uint16_t v) const { return static_cast<int>(std::count(pixels_.begin(), pixels_.end(), v)); }
    void clear() { std::fill(pixels_.begin(), pixels_.end(), kBackground); }

    static constexpr int kWidth = 24;
    static constexpr int kHeight = 20;
    static constexpr int kPitch = 28;
    static constexpr uint16_t kBackground = 0;
    const BlitRect all_{0, 0, kWidth, kHeight};
    std::vector<uint8_t> font0_;
    std::vector<uint8_t> font1_;
    std::vector<uint16_t> pixels_;
};

TEST_F(UnicodeText, DamagedOrEmptyGlyphsAreAbsent)
{
    struct Case {
        char16_t c;
        bool present;
        int32_t advance;
    };
    for (const Case& c : std::vector<Case>{{u'a', true, 4}, {u'x', true, 5}, {u' ', true, 8}, {u'Z', false, 0}, {u'Y', false, 0},
                                          {u'W', false, 0}, {u'V', false, 0}, {u'Q', false, 0}}) {
        SCOPED_TRACE(static_cast<int>(c.c));
        EXPECT_EQ(UnicodeHasGlyph(c.c), c.present);
        EXPECT_EQ(UnicodeGetCharWidth(c.c), c.advance);
    }
    // A file too short for its own offset table has glyphs only where the table is whole.
    const std::vector<uint8_t> cut(font0_.begin(), font0_.begin() + 4 * 'b');
    setUnicodeFontData(0, cut.data(), cut.size());
    EXPECT_FALSE(UnicodeHasGlyph(u'a'));
    EXPECT_FALSE(UnicodeHasGlyph(kIdeograph1));
}

TEST_F(UnicodeText, AdvanceFollowsSpacingAndStyle)
{
    EXPECT_EQ(UnicodeGetStringWidth(u"ab x"), 4 + 4 + 8 + 5);
    UnicodeSetCompactSpacing(true);
    EXPECT_EQ(UnicodeGetCharWidth(u'a'), 3);
    UnicodeSetCompactSpacing(false);
    UnicodeSetStyle(0x10 | 0x8);  // bold and italic, font 1
    EXPECT_EQ(UnicodeGetFont(), 1);
    EXPECT_EQ(UnicodeGetCharWidth(u'a'), 5 + 1 + 1 + 1);
    UnicodeRestoreStyle();
    EXPECT_EQ(UnicodeGetFont(), 0);
    EXPECT_EQ(UnicodeGetStringWidthN(2, u"abc"), 8);
    EXPECT_EQ(UnicodeGetStringWidthN(-1, u"abc"), 0);
    EXPECT_EQ(UnicodeGetCharIndexAtX(u"abc", 9), 2);
    EXPECT_EQ(UnicodeGetCharIndexAtX(u"abc", 4), 0);
    EXPECT_EQ(UnicodeGetWordWidth(u"ab cd"), 8);
    EXPECT_EQ(UnicodeGetWordWidth(u"\u4E00\u4E01"), 7);

    platform::RecordingMessageBoxSink sink;
    platform::ScopedMessageBoxSink scoped(sink);
    UnicodeSetSpaceWidth(25);
    EXPECT_EQ(sink.count(), 1u);
    EXPECT_EQ(UnicodeGetSpaceWidth(), 25);
    UnicodeSetSpaceWidth(8);
    EXPECT_EQ(sink.count(), 1u);
}

TEST_F(UnicodeText, WidthsOfARunAreThoseOfEachCharacter)
{
    // Blanks, present, absent and damaged glyphs, ideographs, in every style and spacing.
    const std::u16string text = u"a b\u4E00xZYWVq|\u3002 ";
    for (const uint32_t style : {0u, 0x10u, 0x8u, 0x18u, 0x2u}) {
        for (const bool compact : {false, true}) {
            UnicodeSetStyle(style);
            UnicodeSetCompactSpacing(compact);
            std::vector<int32_t> widths(text.size(), -1);
            UnicodeGetCharWidths(text.data(), text.size(), widths.data());
            for (size_t i = 0; i < text.size(); ++i)
                EXPECT_EQ(widths[i], UnicodeGetCharWidth(text[i])) << style << " " << compact << " " << i;
            UnicodeSetCompactSpacing(false);
            UnicodeRestoreStyle();
        }
    }
}

TEST_F(UnicodeText, AFontSetAgainIsReadAgain)
{
    // Glyphs already looked up must not outlive their font: the same image set again after a
    // change, another image in the same font, and a font taken away.
    EXPECT_EQ(UnicodeGetCharWidth(u'a'), 4);
    font0_ = testsupport::buildUnicodeFont({{u'a', inkBlock(6, 2)}});
    setUnicodeFontData(0, font0_.data(), font0_.size());
    EXPECT_EQ(UnicodeGetCharWidth(u'a'), 7);
    EXPECT_FALSE(UnicodeHasGlyph(u'b'));
    testsupport::setGlyphOffset(font0_, u'a', 0);
    setUnicodeFontData(0, font0_.data(), font0_.size());
    EXPECT_EQ(UnicodeGetCharWidth(u'a'), 0);
    setUnicodeFontData(0, font1_.data(), font1_.size());
    EXPECT_EQ(UnicodeGetCharWidth(u'a'), 6);
    setUnicodeFontData(0, nullptr, 0);
    EXPECT_FALSE(UnicodeHasGlyph(u'a'));
}

TEST_F(UnicodeText, StylePicksTheFontAndFallsBackToFontZero)
{
    struct Case {
        uint32_t style;
        int32_t font;
    };
    for (const Case& c : std::vector<Case>{{0, 1}, {0x2, 0}, {0x4, 0}, {0x100, 0}, {0x10, 1}}) {
        UnicodeSetStyle(c.style);
        EXPECT_EQ(UnicodeGetFont(), c.font) << c.style;  // font 2 is not mapped here
        UnicodeRestoreStyle();
    }
    UnicodeSetFont(2);
    EXPECT_EQ(UnicodeGetFont(), 0);
    UnicodeSetStyle(0x20);
    EXPECT_TRUE(UnicodeStyleIsUnderlined());
    EXPECT_FALSE(UnicodeStyleIsBold());
}

TEST(UnicodeLineBreak, CjkRuleTable)
{
    struct Case {
        char16_t previous, next;
        bool allowed;
    };
    const std::vector<Case> cases = {
        {u'a', u'b', false},       {u'a', u' ', false},         {0, u'a', false},
        {kIdeograph1, kIdeograph2, true}, {u'a', kIdeograph1, true}, {kIdeograph1, u'a', true},
        {kIdeograph1, 0, true},    {kOpenBracket, kIdeograph1, false}, {u'(', kIdeograph1, false},
        {kIdeograph1, kFullStop, false}, {kIdeograph1, u',', false}, {kIdeograph1, 0x309C, false},
        {kIdeograph1, 0xFF63, false}, {kIdeograph1, 0xFF66, true}, {0xAC00, 0xD7A3, true}, {0xF900, u'a', true},
        // The first and last characters of each list, and one just past.
        {u'"', kIdeograph1, false}, {0xFFE5, kIdeograph1, false}, {0xFFE6, kIdeograph1, true},
        {kIdeograph1, u'!', false}, {kIdeograph1, 0xFFE0, false}, {kIdeograph1, 0xFFE1, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UnicodeCanBreakBetween(c.previous, c.next), c.allowed) << std::hex << static_cast<int>(c.previous) << " " << static_cast<int>(c.next);
}

TEST_F(UnicodeText, WrapFollowsTheLineEndRule)
{
    struct Case {
        std::string name;
        std::u16string text;
        int32_t width, n, x, y;
    };
    const std::vector<Case> cases = {
        {"one character wider than the width is one line", u"a", 2, 1, 4, 0},
        {"a first character too wide keeps the rest on its line", u"ab", 2, 2, 8, 0},
        {"newline ends the line though more fits", u"ab\ncd", 100, 3, 0, 18},
        {"the newline is not measured", u"ab\ncd", 100, 2, 8, 0},
        {"Latin breaks at a space after index 1", u"ab cd ef", 20, 4, 4, 18},
        {"third Latin line", u"ab cd ef", 20, 6, 0, 36},
        {"space at index 1 is no break point", u"a bc", 10, 2, 0, 18},
        {"Latin without spaces breaks before the overflow", u"abcdef", 10, 2, 0, 18},
        {"CJK breaks between characters", u"\u4E00\u4E01\u4E02", 15, 2, 0, 18},
        {"no break after an opening bracket", u"\u4E00\u300C\u4E01", 15, 1, 0, 18},
        {"no break before a closing full stop", u"\u4E00\u4E01\u3002", 15, 2, 7, 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t x = -1, y = -1;
        UnicodeGetStringWrapEndXY(c.n, c.text.c_str(), c.width, &x, &y);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
    int32_t widest = 0, height = 0, third = 5;
    UnicodeCalcInfoWrap(u"ab cd ef", 20, &widest, &height, &third);
    EXPECT_EQ(widest, 8);
    EXPECT_EQ(height, 54);
    EXPECT_EQ(third, 0);
    EXPECT_EQ(UnicodeGetWrapIndexAtXY(u"ab cd ef", 20, 4, 18), 4);
    UnicodeCalcInfo(nullptr, &widest, &height, &third);
    EXPECT_EQ(widest, 0);
    EXPECT_EQ(height, 18);
}

TEST_F(UnicodeText, GlyphsDrawWithOffsetsAndStyles)
{
    UnicodeDrawString(surface(), u"x", 2, 1, 0x7FFF, all_);
    // 'x' sits 1 right and 3 down of the pen; ink "#.#" / ".#.".
    EXPECT_EQ(at(3, 4), 0x7FFF);
    EXPECT_EQ(at(4, 4), kBackground);
    EXPECT_EQ(at(5, 4), 0x7FFF);
    EXPECT_EQ(at(4, 5), 0x7FFF);
    EXPECT_EQ(count(0x7FFF), 3);

    clear();
    UnicodeSetStyle(0x8 | 0x4);  // italic, font 0
    UnicodeDrawString(surface(), u"|", 0, 0, 0x1111, all_);
    UnicodeRestoreStyle();
    EXPECT_EQ(at(4, 0), 0x1111);  // top row of ten shifts 4
    EXPECT_EQ(at(0, 9), 0x1111);  // bottom row not at all

    clear();
    UnicodeSetStyle(0x10 | 0x4 | 0x20);  // bold, underlined
    UnicodeDrawString(surface(), u"a ", 0, 0, 0x2222, all_);
    UnicodeRestoreStyle();
    EXPECT_EQ(at(3, 0), 0x2222);  // the bold pixel right of the last column
    EXPECT_EQ(count(0x2222), 8 + 5 + 8);  // 2 rows of 4, underline under 'a' (5) and the space (8)
    EXPECT_EQ(at(12, 14), 0x2222);

    clear();
    UnicodeSetCompactSpacing(true);
    UnicodeDrawString(surface(), u"a", 0, 0, 0x7FFF, all_);
    UnicodeSetCompactSpacing(false);
    EXPECT_EQ(at(0, 0), 0x3FFF & 0x3DEF);
    EXPECT_EQ(at(1, 0), 0x7FFF);
}

TEST_F(UnicodeText, DrawingClipsToTheClipAndTheSurface)
{
    UnicodeSetStyle(0x10 | 0x4);  // bold: the extra pixel must be clipped too
    UnicodeDrawString(surface(), u"aaaaaaa", 0, kHeight - 1, 0x0F0F, BlitRect{-10, -10, 100, 100});
    UnicodeDrawString(surface(), u"aa", -3, -1, 0x0F0F, all_);
    UnicodeRestoreStyle();
    for (int y = 0; y < kHeight; ++y)
        for (int x = kWidth; x < kPitch; ++x) EXPECT_EQ(at(x, y), kBackground) << x << "," << y;
    EXPECT_EQ(at(kWidth - 1, kHeight - 1), 0x0F0F);
    EXPECT_EQ(at(0, 0), 0x0F0F);
    clear();
    UnicodeDrawString(surface(), u"aaa", 0, 0, 0x0F0F, BlitRect{2, 0, 6, 1});
    EXPECT_EQ(count(0x0F0F), 3);  // columns 2, 4, 5 of the first row
}

TEST_F(UnicodeText, InkBoundsHoldEveryPixelADrawSets)
{
    const std::u16string texts[] = {u"", u"   ", u"Z", u"x", u"ab x|", u"|x|", u"Z a", u"\u4E00a", u"a^Lb^n|"};
    const uint32_t styles[] = {0x4, 0x4 | kUnicodeStyleItalic, 0x4 | kUnicodeStyleBold, 0x4 | kUnicodeStyleUnderline,
                               0x4 | kUnicodeStyleItalic | kUnicodeStyleBold | kUnicodeStyleUnderline};
    constexpr int kSide = 80, kX = 30, kY = 20;
    std::vector<uint16_t> canvas(kSide * kSide);
    const PixelSurface all{canvas.data(), kSide, kSide, kSide};
    for (const uint32_t style : styles)
        for (const bool compact : {false, true})
            for (const std::u16string& text : texts) {
                const std::string name = std::string(text.begin(), text.end()) + ", style " + std::to_string(style) +
                                         (compact ? ", compact with colour codes" : "");
                UnicodeSetStyle(style);
                UnicodeSetCompactSpacing(compact);
                setUnicodeColorCodes(compact);
                std::fill(canvas.begin(), canvas.end(), 0);
                UnicodeDrawString(all, text.c_str(), kX, kY, 0x7FFF, BlitRect{0, 0, kSide, kSide});
                const BlitRect ink = UnicodeGetStringInk(text.c_str(), kX, kY, 0x7FFF);
                bool drawn = false;
                for (int y = 0; y < kSide; ++y)
                    for (int x = 0; x < kSide; ++x)
                        if (canvas[static_cast<size_t>(y * kSide + x)] != 0) {
                            drawn = true;
                            EXPECT_TRUE(x >= ink.left && x < ink.right && y >= ink.top && y < ink.bottom)
                                << name << ": " << x << "," << y;
                        }
                EXPECT_EQ(drawn, ink.left < ink.right && ink.top < ink.bottom) << name;
                setUnicodeColorCodes(false);
                UnicodeSetCompactSpacing(false);
                UnicodeRestoreStyle();
            }
    // The box of the glyph itself, not more: 'x' lies 1 right of and 3 below the pen, 3 x 2.
    const BlitRect x = UnicodeGetStringInk(u"x", kX, kY, 0x7FFF);
    EXPECT_EQ(std::vector<int32_t>({x.left, x.top, x.right, x.bottom}), std::vector<int32_t>({kX + 1, kY + 3, kX + 4, kY + 5}));
}

TEST_F(UnicodeText, HighlightColourCodesAndWrappedDraws)
{
    UnicodeDrawStringHighlighted(surface(), u"abc", 0, 0, 0x1000, all_, 0x2000, 1, 1);
    EXPECT_EQ(at(0, 0), 0x1000);
    EXPECT_EQ(at(4, 0), 0x2000);
    EXPECT_EQ(at(8, 0), 0x1000);

    clear();
    setUnicodeColorCodes(true);
    UnicodeDrawString(surface(), u"a^Lb", 0, 0, 0x1000, all_);
    setUnicodeColorCodes(false);
    EXPECT_EQ(at(0, 0), 0x1000);
    EXPECT_EQ(at(4, 0), 0x7FE0);  // 'b' straight after 'a': the code takes no room
    clear();
    UnicodeDrawString(surface(), u"a^Lb", 0, 0, 0x1000, all_);
    // Codes off: both characters are drawn, but this font has no glyph for either, so only
    // the colour tells: 'b' keeps the caller's colour.
    EXPECT_EQ(at(4, 0), 0x1000);
    EXPECT_EQ(count(0x1000), 12);

    clear();
    EXPECT_EQ(UnicodeDrawStringWrapped(surface(), 20, u"ab cd", 0, 0, 0x3000, all_, true), 36);
    // Centred: each 8-wide line starts at (20 - 8) / 2 = 6; the second line 18 below.
    EXPECT_EQ(at(5, 0), kBackground);
    EXPECT_EQ(at(6, 0), 0x3000);
    EXPECT_EQ(at(6, 18), 0x3000);
    clear();
    UnicodeDrawStringWrappedHighlighted(surface(), 20, u"ab cd", 0, 0, 0x3000, all_, false, 0x4000, 3, 3);
    EXPECT_EQ(at(0, 18), 0x4000);  // 'c' is index 3, on the second line
    EXPECT_EQ(at(4, 18), 0x3000);
}

TEST(UnicodeGlyphPixels, PlottingMatchesPixelByPixelClipping)
{
    // Each pixel plotted on its own and dropped outside the area: what a glyph must give however
    // its rows, offsets, styles and the area place it.
    auto reference = [](std::vector<uint16_t>& out, int pitch, const BlitRect& area, const GlyphBits& g, int x, int top,
                        const GlyphInk& ink) {
        auto plot = [&](int px, int py, uint16_t k) {
            if (px >= area.left && px < area.right && py >= area.top && py < area.bottom)
                out[static_cast<size_t>(py * pitch + px)] = k;
        };
        const size_t rowBytes = (static_cast<size_t>(g.width) + 7) / 8;
        for (int r = 0; r < g.height; ++r) {
            bool first = true;
            for (int m = 0; m < g.width; ++m) {
                if ((g.rows[static_cast<size_t>(r) * rowBytes + static_cast<size_t>(m / 8)] & (0x80 >> (m % 8))) == 0)
                    continue;
                const uint16_t k = first ? ink.firstColour : ink.colour;
                first = false;
                const int px = x + g.xOffset + m + (ink.italic ? (g.height - r - 1) / 2 : 0);
                plot(px, top + g.yOffset + r, k);
                if (ink.bold)
                    plot(px + 1, top + g.yOffset + r, k);
            }
        }
    };
    constexpr int kPitch = 40, kHeight = 30;
    uint32_t seed = 99;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<uint32_t>(n));
    };
    for (int i = 0; i < 3000; ++i) {
        std::vector<uint8_t> bits(64);
        for (uint8_t& b : bits)
            b = static_cast<uint8_t>(next(256));
        const GlyphBits g{bits.data(), next(11) - 5, next(11) - 5, 1 + next(20), 1 + next(12)};
        const GlyphInk ink{0x1234, static_cast<uint16_t>(next(2) == 0 ? 0x1234 : 0x0909), next(2) == 0, next(2) == 0};
        const int left = next(kPitch), top = next(kHeight);
        const BlitRect area{left, top, left + next(kPitch - left + 1), top + next(kHeight - top + 1)};
        const int x = next(kPitch + 20) - 10, y = next(kHeight + 20) - 10;
        std::vector<uint16_t> expected(kPitch * kHeight, 0), got(kPitch * kHeight, 0);
        reference(expected, kPitch, area, g, x, y, ink);
        PlotGlyph(PixelSurface{got.data(), kPitch, kPitch, kHeight}, area, g, x, y, ink);
        ASSERT_EQ(got, expected) << "case " << i;
    }
}

} // namespace
