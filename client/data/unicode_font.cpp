/** @file The Unicode fonts: glyph access with bounds checks, the text state, the line-break rule, wrapping and drawing. */
#include "client/data/unicode_font.h"

#include "client/core/cmmf.h"
#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/data/hue_manager.h"
#include "client/data/unicode_font_pixels.h"

#include "platform/message_box/message_box.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t kOffsetTableBytes = 65536 * 4;
constexpr int32_t kUnderlineRow = 14;

struct FontView {
    const uint8_t* data = nullptr;
    size_t size = 0;
    /** Different for every font image set: the key of its glyphs' places in the glyph cache. */
    uint64_t generation = 0;
};

uint64_t g_generations = 0;

FontView fontView(const uint8_t* data, size_t size) { return FontView{data, size, ++g_generations}; }

struct TextState {
    bool loaded = false;
    std::array<std::unique_ptr<CMMF>, kUnicodeFontCount> files;
    std::array<FontView, kUnicodeFontCount> fonts;
    int32_t font = 0;
    uint32_t style = 0;
    int32_t savedFont = 0;
    uint32_t savedStyle = 0;
    bool compact = false;
    int32_t spaceWidth = 8;
    bool colorCodes = false;
};

TextState g_text;

using Glyph = GlyphBits;

void ensureLoaded()
{
    if (!g_text.loaded) LoadUnicodeFont();
}

bool isMapped(int32_t font) { return font >= 0 && font < kUnicodeFontCount && g_text.fonts[static_cast<size_t>(font)].data != nullptr; }

// The place of a character's glyph record in a font, or 0 when it has none or it is damaged.
uint32_t locateGlyph(const FontView& f, WideChar c)
{
    const size_t entry = static_cast<size_t>(c) * 4;
    if (entry + 4 > f.size || entry + 4 > kOffsetTableBytes) return 0;
    const uint32_t offset = static_cast<uint32_t>(f.data[entry] | f.data[entry + 1] << 8 | f.data[entry + 2] << 16)
                            | static_cast<uint32_t>(f.data[entry + 3]) << 24;
    if (offset == 0 || offset > f.size || f.size - offset < 4) return 0;
    const auto* header = reinterpret_cast<const int8_t*>(f.data + offset);
    const int32_t width = header[2];
    const int32_t height = header[3];
    if (width <= 0 || height <= 0) return 0;
    const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
    if ((f.size - offset - 4) / rowBytes < static_cast<size_t>(height)) return 0;
    return offset;
}

// The glyphs last found: a text looks up the same characters to measure, wrap and draw them.
struct GlyphSlot {
    uint64_t generation = 0;
    uint32_t offset = 0;
    WideChar code = 0;
};
std::array<GlyphSlot, 1024> g_glyphSlots;

// The glyph of a character in a font; rows == null when it has none or it is damaged.
Glyph glyphIn(const FontView& f, WideChar c)
{
    Glyph g;
    if (f.data == nullptr) return g;
    GlyphSlot& slot = g_glyphSlots[(c + f.generation * 331) % g_glyphSlots.size()];
    if (slot.generation != f.generation || slot.code != c) slot = GlyphSlot{f.generation, locateGlyph(f, c), c};
    if (slot.offset == 0) return g;
    const auto* header = reinterpret_cast<const int8_t*>(f.data + slot.offset);
    g.rows = f.data + slot.offset + 4;
    g.xOffset = header[0];
    g.yOffset = header[1];
    g.width = header[2];
    g.height = header[3];
    return g;
}

// The glyph of a character in the current font.
Glyph findGlyph(WideChar c)
{
    ensureLoaded();
    return glyphIn(g_text.fonts[static_cast<size_t>(g_text.font)], c);
}

// The text state a draw or a measure reads for every character, taken once per run.
struct RunStyle {
    const FontView* font = nullptr;
    int32_t spaceWidth = 0;
    int32_t extraAdvance = 0;  // what a glyph's advance adds to its offset and width
    bool compact = false;
    bool italic = false;
    bool bold = false;
    bool underlined = false;
};

RunStyle runStyle()
{
    ensureLoaded();
    RunStyle r;
    r.font = &g_text.fonts[static_cast<size_t>(g_text.font)];
    r.spaceWidth = g_text.spaceWidth;
    r.compact = g_text.compact;
    r.italic = UnicodeStyleIsItalic();
    r.bold = UnicodeStyleIsBold();
    r.underlined = UnicodeStyleIsUnderlined();
    r.extraAdvance = (r.compact ? 0 : 1) + (r.bold ? 1 : 0) + (r.italic ? 1 : 0);
    return r;
}

// The glyph of c in the run's font (none for a space, or when the font has none) and, in advance,
// how far it moves the pen.
Glyph glyphAndAdvance(const RunStyle& style, WideChar c, int32_t& advance)
{
    if (c == u' ') {
        advance = style.spaceWidth;
        return Glyph{};
    }
    const Glyph g = glyphIn(*style.font, c);
    advance = g.rows != nullptr ? g.xOffset + g.width + style.extraAdvance : 0;
    return g;
}

int32_t advanceOf(WideChar c)
{
    if (c == u' ') return g_text.spaceWidth;
    int32_t advance = 0;
    glyphAndAdvance(runStyle(), c, advance);
    return advance;
}

bool isCjk(WideChar c) { return (c >= 0x3000 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF); }

constexpr WideChar kNoBreakAfter[] = {0x22, 0x24, 0x27, 0x28, 0x5B, 0x5C, 0x7B, 0xA3, 0xA5, 0x3008, 0x300A,
                                      0x300C, 0x300E, 0x3010, 0x3014, 0xFF04, 0xFF08, 0xFF3B, 0xFF5B, 0xFF62, 0xFFE1, 0xFFE5};
constexpr WideChar kNoBreakBefore[] = {0x21,   0x22,   0x25,   0x27,   0x29,   0x2C,   0x2E,   0x3A,   0x3B,   0x3F,   0x5D,
                                       0x7D,   0xA2,   0xB0,   0x2030, 0x2032, 0x2033, 0x2103, 0x3001, 0x3002, 0x3005, 0x3009,
                                       0x300B, 0x300D, 0x300F, 0x3011, 0x3015, 0x309B, 0x309C, 0x309D, 0x309E, 0x30FB, 0x30FD,
                                       0x30FE, 0xFF01, 0xFF05, 0xFF09, 0xFF0C, 0xFF0E, 0xFF1A, 0xFF1B, 0xFF1F, 0xFF3D, 0xFF5D,
                                       0xFF61, 0xFF63, 0xFF64, 0xFF65, 0xFF9E, 0xFF9F, 0xFFE0};

static_assert(std::is_sorted(std::begin(kNoBreakAfter), std::end(kNoBreakAfter)));
static_assert(std::is_sorted(std::begin(kNoBreakBefore), std::end(kNoBreakBefore)));

template <size_t N>
bool contains(const WideChar (&list)[N], WideChar c)
{
    return std::binary_search(std::begin(list), std::end(list), c);
}

struct Line {
    int32_t start = 0;  // index of the first character
    int32_t end = 0;    // one past the last character drawn
    int32_t width = 0;  // sum of the advances of its characters
};

// Cuts the text into lines by the line-end rule.
std::vector<Line> layout(const WideChar* text, int32_t wrapWidth)
{
    std::vector<Line> lines;
    const int32_t length = WideStrLen(text);
    int32_t start = 0;
    for (;;) {
        int32_t sum = 0;
        int32_t candidate = -1;
        int32_t end = length;  // exclusive
        bool hardBreak = false;
        bool firstTooWide = false;  // then the line runs on to a newline or the end
        for (int32_t j = start; j < length; ++j) {
            const WideChar c = text[j];
            const int32_t i = j - start;
            if (c == 10 || c == 13) {
                end = j;
                hardBreak = true;
                break;
            }
            if (firstTooWide) continue;
            if ((c == u' ' && i > 1) || (i >= 1 && UnicodeCanBreakBetween(text[j - 1], c))) candidate = j - 1;
            sum += advanceOf(c);
            if (sum > wrapWidth) {
                if (i == 0) {
                    firstTooWide = true;
                    continue;
                }
                end = (candidate >= start ? candidate : j - 1) + 1;
                hardBreak = true;
                break;
            }
        }
        Line line{start, end, 0};
        for (int32_t j = start; j < end; ++j) line.width += advanceOf(text[j]);
        lines.push_back(line);
        if (!hardBreak) break;
        start = end;
        if (start < length && (text[start] == u' ' || text[start] == 10 || text[start] == 13)) ++start;
    }
    return lines;
}

BlitRect drawArea(const BlitRect& clip, const PixelSurface& s)
{
    if (s.pixels == nullptr) return BlitRect{};
    return BlitRect{std::max(clip.left, 0), std::max(clip.top, 0), std::min(clip.right, std::min(s.width, s.pitch)),
                    std::min(clip.bottom, s.height)};
}

// Draws one character at pen (x, top) and returns its advance.
int32_t drawChar(const PixelSurface& s, const BlitRect& area, const RunStyle& style, WideChar c, int32_t x, int32_t top,
                 uint16_t colour, InkRows* rows)
{
    int32_t advance = 0;
    const Glyph g = glyphAndAdvance(style, c, advance);
    if (g.rows != nullptr) {
        // Compact spacing softens the first pixel of each row to half brightness.
        const uint16_t first = style.compact ? static_cast<uint16_t>((colour >> 1) & 0x3DEF) : colour;
        PlotGlyph(s, area, g, x, top, GlyphInk{colour, first, style.italic, style.bold}, rows);
    }
    if (style.underlined) PlotRow(s, area, x, top + kUnderlineRow, advance, colour, rows);
    return advance;
}

struct CodeColours {
    uint16_t f, l, m, r;
};

// Calls each(c, k) for the characters of text[from..to) that are drawn, k the colour of each;
// colour codes change `current`, which carries across lines, and are not drawn.
template <class Each>
void forEachDrawnChar(const WideChar* text, int32_t from, int32_t to, uint16_t colour, uint16_t& current,
                      uint16_t selectedColour, int32_t first, int32_t last, const Each& each)
{
    const bool use565 = FontManager::use565();
    const CodeColours codes = use565 ? CodeColours{0x633B, 0xFFE0, 0xF800, 0x94B2} : CodeColours{0x319B, 0x7FE0, 0x7C00, 0x4A52};
    const HueEntry* locked = HueManager::GetHue(54);
    for (int32_t i = from; i < to; ++i) {
        const WideChar c = text[i];
        if (g_text.colorCodes && c == u'^' && i + 1 < to) {
            const WideChar letter = text[i + 1];
            const bool isLetter = (letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z');
            if (isLetter) {
                const bool frozen = locked != nullptr && current == locked->colors[30];
                uint16_t next = current;
                bool known = true;
                switch (letter) {
                case u'F': next = codes.f; break;
                case u'L': next = codes.l; break;
                case u'M': next = codes.m; break;
                case u'R': next = codes.r; break;
                case u'n': next = colour; break;
                default: known = false; break;
                }
                if (known) {
                    if (!frozen) current = next;
                    ++i;
                    continue;
                }
                if (current != colour) {
                    ++i;
                    continue;
                }
            }
        }
        each(c, i >= first && i <= last ? selectedColour : current);
    }
}

// Draws text[from..to) at pen (x, top); colour codes change `current`, which carries across lines.
void drawRun(const PixelSurface& s, const BlitRect& area, const WideChar* text, int32_t from, int32_t to, int32_t x, int32_t top,
             uint16_t colour, uint16_t& current, uint16_t selectedColour, int32_t first, int32_t last, InkRows* rows = nullptr)
{
    if (area.left >= area.right || area.top >= area.bottom) return;
    const RunStyle style = runStyle();
    forEachDrawnChar(text, from, to, colour, current, selectedColour, first, last,
                     [&](WideChar c, uint16_t k) { x += drawChar(s, area, style, c, x, top, k, rows); });
}

int32_t drawWrapped(const PixelSurface& s, int32_t wrapWidth, const WideChar* text, int32_t x, int32_t y, uint16_t colour,
                    const BlitRect& clip, bool centre, uint16_t selectedColour, int32_t first, int32_t last)
{
    if (text == nullptr) return 0;
    const BlitRect area = drawArea(clip, s);
    uint16_t current = colour;
    int32_t top = y;
    for (const Line& line : layout(text, wrapWidth)) {
        const int32_t left = centre ? x + (wrapWidth - line.width) / 2 : x;
        drawRun(s, area, text, line.start, line.end, left, top, colour, current, selectedColour, first, last);
        top += kUnicodeLineHeight;
    }
    return top - y;
}

} // namespace

void LoadUnicodeFont()
{
    g_text.loaded = true;  // set first: a glyph access from a fatal handler must not recurse
    for (int32_t font = 0; font < kUnicodeFontCount; ++font) {
        char name[32];
        if (font == 0)
            std::snprintf(name, sizeof name, "unifont.mul");
        else
            std::snprintf(name, sizeof name, "unifont%d.mul", font);
        FILE* probe = FileManager::open(name, "rb");
        const FileManager::OpenFileInfo info = FileManager::openFileInfo(name);
        FileManager::close(probe);
        auto file = probe != nullptr && info.actualName != nullptr ? std::make_unique<CMMF>(info.actualName) : nullptr;
        const uint8_t* view = file ? file->Open() : nullptr;
        if (view == nullptr) KZReport::fatal("LoadUnicodeFont(): cannot open file '%s'.\n", name);
        g_text.fonts[static_cast<size_t>(font)] = fontView(view, file->GetSize());
        g_text.files[static_cast<size_t>(font)] = std::move(file);
    }
}

bool UnicodeFontsLoaded() { return g_text.loaded; }

void setUnicodeFontData(int32_t font, const uint8_t* data, size_t size)
{
    if (font < 0 || font >= kUnicodeFontCount) return;
    g_text.files[static_cast<size_t>(font)].reset();
    g_text.fonts[static_cast<size_t>(font)] = data != nullptr ? fontView(data, size) : FontView{};
    g_text.loaded = true;
}

void unloadUnicodeFonts() { g_text = TextState{}; }

int32_t UnicodeGetFont() { return g_text.font; }

void UnicodeSetFont(int32_t font)
{
    ensureLoaded();
    g_text.font = isMapped(font) ? font : 0;
}

void UnicodeSetStyle(uint32_t style)
{
    ensureLoaded();
    g_text.savedFont = g_text.font;
    g_text.savedStyle = g_text.style;
    g_text.style = style;
    const int32_t font = (style & 0x2) != 0 ? 2 : ((style & 0x704) != 0 ? 0 : 1);
    g_text.font = isMapped(font) ? font : 0;
}

void UnicodeRestoreStyle()
{
    g_text.font = g_text.savedFont;
    g_text.style = g_text.savedStyle;
}

uint32_t UnicodeGetStyle() { return g_text.style; }
bool UnicodeStyleIsItalic() { return (g_text.style & kUnicodeStyleItalic) != 0; }
bool UnicodeStyleIsBold() { return (g_text.style & kUnicodeStyleBold) != 0; }
bool UnicodeStyleIsUnderlined() { return (g_text.style & kUnicodeStyleUnderline) != 0; }
bool UnicodeStyleTestBit14() { return (g_text.style & 0x4000) != 0; }
bool UnicodeStyleTestBit15() { return (g_text.style & 0x8000) != 0; }
int32_t UnicodeGetSpaceWidth() { return g_text.spaceWidth; }

void UnicodeSetSpaceWidth(int32_t width)
{
    if (width < 1 || width > 20)
        platform::showMessageBox("UnicodeSetSpaceWidth()", "Unreasonable width of space character.", platform::BoxIcon::Warning);
    g_text.spaceWidth = width;
}

bool UnicodeGetCompactSpacing() { return g_text.compact; }
void UnicodeSetCompactSpacing(bool on) { g_text.compact = on; }
void setUnicodeColorCodes(bool on) { g_text.colorCodes = on; }

const uint8_t* UnicodeGetGlyph(WideChar character, int32_t* xOffset, int32_t* yOffset, int32_t* width, int32_t* height)
{
    if (character == u' ') {
        if (width != nullptr) *width = g_text.spaceWidth;
        return nullptr;
    }
    const Glyph g = findGlyph(character);
    if (g.rows == nullptr) return nullptr;
    if (xOffset != nullptr) *xOffset = g.xOffset;
    if (yOffset != nullptr) *yOffset = g.yOffset;
    if (width != nullptr) *width = g.width;
    if (height != nullptr) *height = g.height;
    return g.rows;
}

bool UnicodeHasGlyph(WideChar character) { return character == u' ' || findGlyph(character).rows != nullptr; }
int32_t UnicodeGetCharWidth(WideChar character) { return advanceOf(character); }

void UnicodeGetCharWidths(const WideChar* text, size_t count, int32_t* widths)
{
    const RunStyle style = runStyle();
    for (size_t i = 0; i < count; ++i) glyphAndAdvance(style, text[i], widths[i]);
}

int32_t UnicodeGetStringWidth(const WideChar* text)
{
    int32_t sum = 0;
    for (int32_t i = 0; text != nullptr && text[i] != 0; ++i) sum += advanceOf(text[i]);
    return sum;
}

int32_t UnicodeGetWordWidth(const WideChar* text)
{
    int32_t sum = 0;
    for (int32_t i = 0; text != nullptr && text[i] != 0 && text[i] != u' '; ++i) {
        if (i >= 1 && UnicodeCanBreakBetween(text[i - 1], text[i])) break;
        sum += advanceOf(text[i]);
    }
    return sum;
}

int32_t UnicodeGetStringWidthN(int32_t n, const WideChar* text)
{
    int32_t sum = 0;
    for (int32_t i = 0; text != nullptr && i < n && text[i] != 0; ++i) sum += advanceOf(text[i]);
    return sum;
}

int32_t UnicodeGetCharIndexAtX(const WideChar* text, int32_t x)
{
    int32_t i = 0;
    while (text != nullptr && text[i] != 0) {
        const int32_t a = advanceOf(text[i]);
        if (a >= x) break;
        x -= a;
        ++i;
    }
    return i;
}

void UnicodeCalcInfo(const WideChar* text, int32_t* width, int32_t* height, int32_t* third)
{
    if (height != nullptr) *height = kUnicodeLineHeight;
    if (third != nullptr) *third = 0;
    if (text == nullptr) {
        KZReport::error("UnicodeCalcInfo: text == 0. code may have crashed. setting width to 0.\n");
        if (width != nullptr) *width = 0;
        return;
    }
    if (width != nullptr) *width = UnicodeGetStringWidth(text);
}

void UnicodeCalcInfoWrap(const WideChar* text, int32_t wrapWidth, int32_t* widest, int32_t* height, int32_t* third)
{
    int32_t w = 0;
    int32_t lines = 0;
    if (text != nullptr) {
        for (const Line& line : layout(text, wrapWidth)) {
            w = std::max(w, line.width);
            ++lines;
        }
    }
    if (widest != nullptr) *widest = w;
    if (height != nullptr) *height = kUnicodeLineHeight * std::max(lines, 1);
    if (third != nullptr) *third = 0;
}

namespace {

/** Where the first n characters of a laid-out text end: the x after them on their line, and the line's y. */
void wrapEnd(const std::vector<Line>& lines, const WideChar* text, int32_t n, int32_t& x, int32_t& y)
{
    size_t index = 0;
    while (index + 1 < lines.size() && n >= lines[index + 1].start) ++index;
    y = static_cast<int32_t>(index) * kUnicodeLineHeight;
    x = 0;
    const Line& line = lines[index];
    for (int32_t j = line.start; j < std::min(n, line.end); ++j) x += advanceOf(text[j]);
}

} // namespace

void UnicodeGetStringWrapEndXY(int32_t n, const WideChar* text, int32_t wrapWidth, int32_t* x, int32_t* y)
{
    int32_t outX = 0;
    int32_t outY = 0;
    if (text != nullptr) wrapEnd(layout(text, wrapWidth), text, n, outX, outY);
    if (x != nullptr) *x = outX;
    if (y != nullptr) *y = outY;
}

int32_t UnicodeGetWrapIndexAtXY(const WideChar* text, int32_t wrapWidth, int32_t x, int32_t y)
{
    int32_t n = WideStrLen(text);
    if (n == 0) return 0;
    // The text is laid out once; each shorter prefix only looks up where it ends.
    const std::vector<Line> lines = layout(text, wrapWidth);
    for (; n > 0; --n) {
        int32_t endX = 0;
        int32_t endY = 0;
        wrapEnd(lines, text, n, endX, endY);
        if (x >= endX && y >= endY) break;
    }
    return n;
}

void UnicodeDrawString(const PixelSurface& surface, const WideChar* text, int32_t x, int32_t y, uint16_t colour, const BlitRect& clip)
{
    UnicodeDrawStringHighlighted(surface, text, x, y, colour, clip, colour, 0, -1);
}

void UnicodeDrawStringHighlighted(const PixelSurface& surface, const WideChar* text, int32_t x, int32_t y, uint16_t colour,
                                  const BlitRect& clip, uint16_t selectedColour, int32_t first, int32_t last, InkRows* rows)
{
    if (text == nullptr) return;
    uint16_t current = colour;
    drawRun(surface, drawArea(clip, surface), text, 0, WideStrLen(text), x, y, colour, current, selectedColour, first, last,
            rows);
}

BlitRect UnicodeGetStringInk(const WideChar* text, int32_t x, int32_t y, uint16_t colour)
{
    if (text == nullptr) return BlitRect{};
    const RunStyle style = runStyle();
    int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
    auto cover = [&](int64_t l, int64_t t, int64_t r, int64_t b) {
        left = std::min(left, l);
        top = std::min(top, t);
        right = std::max(right, r);
        bottom = std::max(bottom, b);
    };
    // The characters and advances of the draw, with each glyph's whole box: italic leans its top
    // row furthest right, by (height - 1) / 2, and bold adds a pixel right of each one.
    int64_t pen = x;
    uint16_t current = colour;
    forEachDrawnChar(text, 0, WideStrLen(text), colour, current, colour, 0, -1, [&](WideChar c, uint16_t) {
        int32_t advance = 0;
        const Glyph g = glyphAndAdvance(style, c, advance);
        if (g.rows != nullptr) {
            const int64_t glyphLeft = pen + g.xOffset;
            const int64_t glyphTop = int64_t{y} + g.yOffset;
            cover(glyphLeft, glyphTop, glyphLeft + GlyphInkWidth(g, style.italic, style.bold), glyphTop + g.height);
        }
        if (style.underlined && advance > 0) cover(pen, int64_t{y} + kUnderlineRow, pen + advance, int64_t{y} + kUnderlineRow + 1);
        pen += advance;
    });
    if (left >= right || top >= bottom) return BlitRect{};
    auto narrow = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return BlitRect{narrow(left), narrow(top), narrow(right), narrow(bottom)};
}

int32_t UnicodeDrawStringWrapped(const PixelSurface& surface, int32_t wrapWidth, const WideChar* text, int32_t x, int32_t y,
                                 uint16_t colour, const BlitRect& clip, bool centre)
{
    return drawWrapped(surface, wrapWidth, text, x, y, colour, clip, centre, colour, 0, -1);
}

int32_t UnicodeDrawStringWrappedHighlighted(const PixelSurface& surface, int32_t wrapWidth, const WideChar* text, int32_t x,
                                            int32_t y, uint16_t colour, const BlitRect& clip, bool centre,
                                            uint16_t selectedColour, int32_t first, int32_t last)
{
    return drawWrapped(surface, wrapWidth, text, x, y, colour, clip, centre, selectedColour, first, last);
}

bool UnicodeCanBreakBetween(WideChar previous, WideChar next)
{
    if (!isCjk(previous) && !isCjk(next)) return false;
    if (previous == 0 || next == 0) return true;
    if (contains(kNoBreakAfter, previous)) return false;
    if (contains(kNoBreakBefore, next)) return false;
    return true;
}
