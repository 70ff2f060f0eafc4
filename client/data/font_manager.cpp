/** @file The 8-bit bitmap fonts: loading from fonts.mul, measuring, word wrap and drawing through the span routines. */
#include "client/data/font_manager.h"

#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/core/memory_manager.h"
#include "client/data/span_routines.h"

#include "platform/message_box/message_box.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {

// Hue mode of fonts 0..8; the others keep 0.
constexpr int32_t kHueModes[] = {1, 1, 1, 1, 0, 0, 0, 1, 0};
// The wrap work buffer: a line plus its indent never grows past it.
constexpr size_t kWorkBuffer = 512;

std::array<std::unique_ptr<CFont>, FontManager::kFontSlots> g_fonts;
bool g_missingFontShown = false;

// What the width sums and the wrap scan read of a character: its advance, and how far its glyph
// reaches above and below the pen row; all 0 without a glyph. Made when a font is put into its
// slot: an installed font is only reachable read-only, so it cannot change under its table.
struct CharMetrics {
    int32_t width = 0;
    int32_t above = 0;
    int32_t below = 0;
};
using FontMetrics = std::array<CharMetrics, 256>;
std::array<FontMetrics, FontManager::kFontSlots> g_metrics;

const CFont* fontAt(int32_t font)
{
    if (font < 0 || font >= FontManager::kFontSlots) return nullptr;
    return g_fonts[static_cast<size_t>(font)].get();
}

int32_t charWidth(const CFont& f, unsigned char c)
{
    const FontGlyph* g = f.glyph(c);
    return g != nullptr ? g->width : 0;
}

int32_t vertical(const CFont& f, unsigned char c) { return f.verticals[static_cast<size_t>(c - CFont::kFirstChar)]; }

// The metrics of a loaded slot (fontAt(slot) not null).
const CharMetrics* metricsAt(int32_t slot) { return g_metrics[static_cast<size_t>(slot)].data(); }

void install(int32_t slot, std::unique_ptr<CFont> font)
{
    FontMetrics& metrics = g_metrics[static_cast<size_t>(slot)];
    metrics = {};
    if (font) {
        for (int32_t c = CFont::kFirstChar; c < 256; ++c) {
            if (const FontGlyph* g = font->glyph(c)) {
                const int32_t v = vertical(*font, static_cast<unsigned char>(c));
                metrics[static_cast<size_t>(c)] = {g->width, g->height - v, v};
            }
        }
    }
    g_fonts[static_cast<size_t>(slot)] = std::move(font);
}

// Where a line of text wraps at `width`: the break index (the character before the last space
// past the second character, else the last character that fits; -1 when all of the text fits or
// not even its first character does), the width summed when the search stopped, and the height
// of the line it cuts (all of the text at -1), as the extent gives it; all 0 for an empty slot.
struct WrapScan {
    int32_t index = -1;
    int32_t reached = 0;
    int32_t height = 0;
};

WrapScan scanWrap(int32_t font, const char* text, int32_t width)
{
    WrapScan scan;
    if (fontAt(font) == nullptr || text == nullptr) return scan;
    // The tallest parts above and below the pen row: of the characters before i, and of the
    // line up to the last break point. A character's height counts once its width fits.
    const CharMetrics* metrics = metricsAt(font);
    int32_t above = 0, below = 0, aboveAtBreak = 0, belowAtBreak = 0;
    int32_t breakAt = -1;
    int32_t i = 0;
    for (; text[i] != 0; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == ' ' && i > 1) {
            breakAt = i - 1;
            aboveAtBreak = above;
            belowAtBreak = below;
        }
        const CharMetrics& m = metrics[c];
        scan.reached += m.width;
        if (scan.reached > width) break;
        if (m.above > above) above = m.above;
        if (m.below > below) below = m.below;
    }
    if (text[i] != 0 && breakAt >= 0) {
        scan.index = breakAt;
        above = aboveAtBreak;
        below = belowAtBreak;
    } else if (text[i] != 0 && i > 0) {
        scan.index = i - 1;
    } else {
        // All of the text fits, or not even its first character does: the line is all of it.
        for (; text[i] != 0; ++i) {
            const CharMetrics& m = metrics[static_cast<unsigned char>(text[i])];
            if (m.above > above) above = m.above;
            if (m.below > below) below = m.below;
        }
    }
    scan.height = above + below;
    return scan;
}

void missingFont(const char* where)
{
    // A modal box on every frame would make the client unusable: show it once, then log.
    if (!g_missingFontShown) {
        g_missingFontShown = true;
        platform::showMessageBox("Error", "Missing Font!", platform::BoxIcon::Error);
    }
    KZReport::error("%s: Missing Font!\n", where);
}

BlitRect clipToSurface(const BlitRect& clip, const PixelSurface& s)
{
    if (s.pixels == nullptr) return BlitRect{};
    return BlitRect{std::max(clip.left, 0), std::max(clip.top, 0), std::min(clip.right, std::min(s.width, s.pitch)),
                    std::min(clip.bottom, s.height)};
}

struct Extent {
    int32_t width = 0;
    int32_t height = 0;
    int32_t baseline = 0;
};

Extent measure(const CFont& f, std::string_view text)
{
    Extent e;
    int32_t above = 0;
    int32_t below = 0;
    for (unsigned char c : text) {
        const FontGlyph* g = f.glyph(c);
        if (g == nullptr) continue;
        e.width += g->width;
        const int32_t v = vertical(f, c);
        if (g->height - v > above) above = g->height - v;
        if (v > below) below = v;
    }
    e.height = above + below;
    e.baseline = above - 1;
    return e;
}

uint16_t to565(uint16_t c) { return static_cast<uint16_t>(((c & 0x7FE0) << 1) | (c & 0x1F)); }

// One glyph at pen (x, y); returns its advance, 0 when it cannot be drawn (which ends the line).
int32_t drawGlyph(int32_t x, int32_t y, const CFont& f, unsigned char c, int32_t hue, const PixelSurface& s, const BlitRect& clip)
{
    const FontGlyph* g = f.glyph(c);
    if (g == nullptr) return 0;
    if (x < clip.left || x + g->width > clip.right) return 0;
    const int32_t top = y + vertical(f, c) - g->height + 1;
    const SpanPixelLayout& layout = spanPixelLayout();
    const uint16_t* ramp = hue != 0 ? spanHueRamp(hue - 1) : nullptr;
    SpanRoutine span = CopySpanTransparent;
    if (hue != 0) {
        setSpanHue(hue - 1);
        span = f.hueMode != 0 ? partialHueSpanTransparent : HueSpan;
    }
    int32_t drawn = 0;
    for (int32_t r = 0; r < g->height; ++r) {
        const int32_t row = top + r;
        if (row < clip.top || row >= clip.bottom) continue;
        uint16_t* destination = s.pixels + static_cast<int64_t>(row) * s.pitch + x;
        const uint16_t* source = g->pixels.data() + static_cast<size_t>(r) * static_cast<size_t>(g->width);
        if (ShadedFonts == 0) {
            span(destination, source, g->width);
        } else {
            const uint32_t k = static_cast<uint32_t>(drawn + 1) / 2;
            for (int32_t m = 0; m < g->width; ++m) {
                const uint32_t p = source[m];
                if (p == 0) continue;
                auto shade = [k](uint32_t channel) { return k < channel ? channel - k : 1u; };
                uint16_t d = static_cast<uint16_t>(shade((p >> 10) & 31) << 10 | shade((p >> 5) & 31) << 5 | shade(p & 31));
                const bool grey = (d >> 10) == ((d >> 5) & 31) && ((d >> 5) & 31) == (d & 31);
                if (ramp != nullptr && (f.hueMode == 0 || grey)) d = ramp[(d >> layout.redShift) & 31];
                destination[m] = ::use565 != 0 ? to565(d) : d;
            }
        }
        ++drawn;
    }
    return g->width;
}

// Draws one line with its top at y; stops at the first glyph that advances 0.
void drawLine(int32_t x, int32_t top, const CFont& f, int32_t hue, std::string_view text, const PixelSurface& s, const BlitRect& clip)
{
    if (clip.left >= clip.right || clip.top >= clip.bottom) return;
    const int32_t penY = top + measure(f, text).baseline;
    for (unsigned char c : text) {
        const int32_t advance = drawGlyph(x, penY, f, c, hue, s, clip);
        if (advance == 0) break;
        x += advance;
    }
}

// caller: the reporting function's name, e.g. "FontManager::CalcInfoWrap".
std::string cutText(const char* text, const char* caller)
{
    std::string s(text);
    if (s.size() >= static_cast<size_t>(FontManager::kMaxText)) {
        KZReport::message("%s - OVERFLOW: msg is %d bytes\n", caller, static_cast<int>(s.size() + 1));
        s.resize(FontManager::kMaxText);
    }
    return s;
}

struct WrapLine {
    std::string text;
    size_t start = 0;  // position of the line's first character in the original text (no indent)
};

// Splits a text into lines by the wrap rules. Line starts are positions in the original text;
// they are only meaningful without an indent, and the position queries never indent.
std::vector<WrapLine> wrap(const CFont& f, const std::string& text, int32_t wrapWidth, int32_t indent)
{
    std::vector<WrapLine> lines;
    std::string rest = text;
    size_t consumed = 0;
    // Each line takes at least one character, but an indent puts characters back; the bound
    // keeps a narrow wrap width with a wide indent from looping for ever.
    for (size_t guard = 0; guard <= text.size(); ++guard) {
        int32_t sum = 0;
        int32_t breakAt = -1;
        int32_t overflow = -1;
        for (size_t i = 0; i < rest.size(); ++i) {
            const auto c = static_cast<unsigned char>(rest[i]);
            if (c == ' ' && i > 1) breakAt = static_cast<int32_t>(i) - 1;
            sum += charWidth(f, c);
            if (sum > wrapWidth) {
                overflow = static_cast<int32_t>(i);
                break;
            }
        }
        if (overflow <= 0) break;  // all of it fits, or even its first character does not
        const size_t end = static_cast<size_t>(breakAt >= 0 ? breakAt : overflow - 1);
        lines.push_back({rest.substr(0, end + 1), consumed});
        consumed += end + 1;
        rest.erase(0, end + 1);
        if (!rest.empty() && rest[0] == ' ') {
            rest.erase(0, 1);
            ++consumed;
        }
        if (indent > 0) {
            const size_t room = kWorkBuffer - 1 > rest.size() ? kWorkBuffer - 1 - rest.size() : 0;
            rest.insert(0, std::min(static_cast<size_t>(indent), room), ' ');
        }
    }
    lines.push_back({rest, consumed});
    return lines;
}

} // namespace

CFont::CFont() { KZReport::print("CFont::CFont(): begin.\n"); }
CFont::~CFont() { KZReport::print("CFont::~CFont()\n"); }

const FontGlyph* CFont::glyph(int32_t character) const
{
    // Below 32 the unsigned index wraps past the table, so one compare keeps both ends.
    const uint32_t index = static_cast<uint32_t>(character) - static_cast<uint32_t>(kFirstChar);
    if (index >= static_cast<uint32_t>(kGlyphCount)) return nullptr;
    const FontGlyph* g = glyphs[index].get();
    return g != nullptr && g->width > 0 ? g : nullptr;
}

void FontManager::startup()
{
    KZReport::print("FontManager::startup: starting...\n");
    LoadFonts();
    KZReport::print("FontManager::startup: started.\n");
}

void FontManager::shutdown()
{
    KZReport::print("FontManager::shutdown: stopping...\n");
    unloadFonts();
    KZReport::print("FontManager::shutdown: stopped.\n");
}

void FontManager::LoadFonts()
{
    unsigned char* data = nullptr;
    const int32_t size = FileManager::load("fonts.mul", &data);
    if (size <= 0 || data == nullptr) KZReport::fatal("FontManager::LoadFonts: cannot open '%s'.\n", "fonts.mul");
    loadFontsFrom(data, static_cast<size_t>(size));
    MemoryManager::FreeMem(data);
}

std::unique_ptr<CFont> ReadFontGlyphs(const uint8_t* data, size_t size, size_t* used)
{
    auto font = std::make_unique<CFont>();
    size_t at = 0;
    for (size_t i = 0; i < static_cast<size_t>(CFont::kGlyphCount); ++i) {
        if (data == nullptr || size - at < 3) return nullptr;
        auto g = std::make_unique<FontGlyph>();
        g->width = data[at];
        g->height = data[at + 1];
        font->verticals[i] = data[at + 2];
        at += 3;
        const size_t count = static_cast<size_t>(g->width) * static_cast<size_t>(g->height);
        if ((size - at) / 2 < count) return nullptr;
        g->pixels.resize(count);
        for (size_t p = 0; p < count; ++p) g->pixels[p] = static_cast<uint16_t>(data[at + 2 * p] | (data[at + 2 * p + 1] << 8));
        at += count * 2;
        font->glyphs[i] = std::move(g);
    }
    if (used != nullptr) *used = at;
    return font;
}

int32_t FontManager::loadFontsFrom(const uint8_t* data, size_t size)
{
    unloadFonts();
    size_t at = 0;
    int32_t loaded = 0;
    for (int32_t slot = 0; slot < kFontSlots && at < size; ++slot) {
        if (data[at++] == 0) continue;
        size_t used = 0;
        std::unique_ptr<CFont> font = ReadFontGlyphs(data + at, size - at, &used);
        if (!font) {
            KZReport::error("FontManager::LoadFonts: font %d ends early; it is left out.\n", slot);
            break;
        }
        at += used;
        if (slot < static_cast<int32_t>(std::size(kHueModes))) font->hueMode = kHueModes[slot];
        install(slot, std::move(font));
        ++loaded;
    }
    return loaded;
}

void FontManager::replaceFont(int32_t font, std::unique_ptr<CFont> replacement)
{
    if (font < 0 || font >= kFontSlots) return;
    install(font, std::move(replacement));
}

void FontManager::unloadFonts()
{
    for (int32_t slot = 0; slot < kFontSlots; ++slot) install(slot, nullptr);
}

void FontManager::setShadedFonts(bool on) { ShadedFonts = on ? 1 : 0; }
void FontManager::setUse565(bool on) { ::use565 = on ? 1 : 0; }
bool FontManager::use565() { return ::use565 != 0; }
bool FontManager::missingFontShown() { return g_missingFontShown; }
void FontManager::resetMissingFontNotice() { g_missingFontShown = false; }

int32_t FontManager::IsFontLoaded(int32_t font) { return fontAt(font) != nullptr ? 1 : 0; }

int32_t FontManager::HasGlyph(int32_t font, int32_t character)
{
    const CFont* f = fontAt(font);
    return f != nullptr && f->glyph(character) != nullptr ? 1 : 0;
}

int32_t FontManager::GetCharWidth(int32_t font, int32_t character)
{
    if (fontAt(font) == nullptr || static_cast<uint32_t>(character) > 255) return 0;
    return metricsAt(font)[character].width;
}

int32_t FontManager::GetStringWidthN(int32_t font, int32_t n, const char* text)
{
    if (fontAt(font) == nullptr || text == nullptr) return 0;
    const CharMetrics* metrics = metricsAt(font);
    int32_t sum = 0;
    for (int32_t i = 0; i < n && text[i] != 0; ++i) sum += metrics[static_cast<unsigned char>(text[i])].width;
    return sum;
}

int32_t FontManager::GetStringExtent(int32_t font, const char* text, int32_t* width, int32_t* height, int32_t* baseline)
{
    const CFont* f = fontAt(font);
    if (f == nullptr || text == nullptr) return 0;
    const Extent e = measure(*f, text);
    if (width != nullptr) *width = e.width;
    if (height != nullptr) *height = e.height;
    if (baseline != nullptr) *baseline = e.baseline;
    return 1;
}

int32_t FontManager::FindWrapPoint(int32_t font, const char* text, int32_t width, int32_t* reached)
{
    const WrapScan scan = scanWrap(font, text, width);
    if (reached != nullptr) *reached = scan.reached;
    return scan.index;
}

int32_t FontManager::FindWrapPointAndHeight(int32_t font, const char* text, int32_t width, int32_t* lineHeight)
{
    const WrapScan scan = scanWrap(font, text, width);
    if (lineHeight != nullptr) *lineHeight = scan.height;
    return scan.index;
}

int32_t FontManager::GetCharIndexAtX(int32_t font, const char* text, int32_t x)
{
    const CFont* f = fontAt(font);
    if (f == nullptr || text == nullptr) return 0;
    int32_t i = 0;
    while (text[i] != 0) {
        const int32_t w = charWidth(*f, static_cast<unsigned char>(text[i]));
        if (w >= x) break;
        x -= w;
        ++i;
    }
    return i;
}

int32_t FontManager::CalcInfoWrap(int32_t font, const char* text, int32_t wrapWidth, int32_t* widest, int32_t* totalHeight,
                                  int32_t* firstBaseline, int32_t indent)
{
    const CFont* f = fontAt(font);
    if (f == nullptr || text == nullptr) return 0;
    const std::string s = cutText(text, "FontManager::CalcInfoWrap");
    int32_t w = 0;
    int32_t h = 0;
    int32_t base = 0;
    for (const WrapLine& line : wrap(*f, s, wrapWidth, indent)) {
        const Extent e = measure(*f, line.text);
        w = std::max(w, e.width);
        h += e.height;
        if (base == 0) base = e.baseline;
    }
    if (widest != nullptr) *widest = w;
    if (totalHeight != nullptr) *totalHeight = h;
    if (firstBaseline != nullptr) *firstBaseline = base;
    return 1;
}

void FontManager::GetStringWrapEndXY(int32_t font, int32_t n, const char* text, int32_t wrapWidth, int32_t* x, int32_t* y)
{
    int32_t outX = 0;
    int32_t outY = 0;
    const CFont* f = fontAt(font);
    if (f != nullptr && text != nullptr) {
        const std::string s = cutText(text, "FontManager::GetStringWrapEndXY");
        KZReport::message("FontManager::GetStringWrapEndXY - msg is %d bytes\n", static_cast<int>(std::string(text).size() + 1));
        const std::vector<WrapLine> lines = wrap(*f, s, wrapWidth, 0);
        const size_t position = static_cast<size_t>(std::max(n, 0));
        size_t index = 0;
        while (index + 1 < lines.size() && position >= lines[index + 1].start) {
            outY += measure(*f, lines[index].text).height;
            ++index;
        }
        const WrapLine& line = lines[index];
        const size_t count = std::min(position - line.start, line.text.size());
        outX = measure(*f, std::string_view(line.text).substr(0, count)).width;
    }
    if (x != nullptr) *x = outX;
    if (y != nullptr) *y = outY;
}

int32_t FontManager::GetWrapIndexAtXY(int32_t font, const char* text, int32_t wrapWidth, int32_t x, int32_t y)
{
    if (fontAt(font) == nullptr || text == nullptr) return 0;
    auto n = static_cast<int32_t>(std::min(std::string(text).size(), static_cast<size_t>(kMaxText)));
    for (; n > 0; --n) {
        int32_t endX = 0;
        int32_t endY = 0;
        GetStringWrapEndXY(font, n, text, wrapWidth, &endX, &endY);
        if (x >= endX && y >= endY) break;
    }
    return n;
}

int32_t FontManager::DrawString(int32_t x, int32_t y, int32_t font, int32_t hue, const char* text, const PixelSurface& surface,
                                const BlitRect& clip)
{
    const CFont* f = fontAt(font);
    if (f == nullptr) {
        missingFont("FontManager::DrawString");
        return 0;
    }
    if (text != nullptr) drawLine(x, y, *f, hue, text, surface, clipToSurface(clip, surface));
    return 1;
}

int32_t FontManager::DrawstringBuf(int32_t x, int32_t y, int32_t font, int32_t hue, const char* text, int32_t wrapWidth,
                                   const PixelSurface& surface, const BlitRect& clip, int32_t indent, int32_t lineHeight,
                                   int32_t centre)
{
    const CFont* f = fontAt(font);
    if (f == nullptr || text == nullptr) return 0;
    const std::string s = cutText(text, "FontManager::DrawstringBuf");
    const BlitRect area = clipToSurface(clip, surface);
    const std::vector<WrapLine> lines = wrap(*f, s, wrapWidth, indent);
    int32_t top = y;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Extent e = measure(*f, lines[i].text);
        const int32_t left = centre != 0 ? x + (wrapWidth - e.width) / 2 : x;
        drawLine(left, top, *f, hue, lines[i].text, surface, area);
        const int32_t advance = lineHeight != 0 ? lineHeight : e.height;
        if (i + 1 == lines.size()) return top - y + advance;
        top += advance;
    }
    return 0;
}

int32_t FontManager::DrawStringBufEllips(int32_t x, int32_t y, int32_t font, int32_t hue, const char* text,
                                         const PixelSurface& surface, const BlitRect& clip)
{
    const CFont* f = fontAt(font);
    if (f == nullptr) {
        missingFont("FontManager::DrawStringBufEllips");
        return 0;
    }
    if (text == nullptr) return 1;
    std::string s = cutText(text, "FontManager::DrawStringBufEllips");
    const BlitRect area = clipToSurface(clip, surface);
    int32_t textWidth = measure(*f, s).width;
    if (x + textWidth > area.right) {
        // The width is the sum of the characters' widths: each one dropped takes its own off.
        const int32_t dots = 3 * charWidth(*f, '.');
        while (!s.empty() && x + textWidth + dots > area.right) {
            textWidth -= charWidth(*f, static_cast<unsigned char>(s.back()));
            s.pop_back();
        }
        s += "...";
    }
    drawLine(x, y, *f, hue, s, surface, area);
    return 1;
}

int32_t FontManager::DrawWideStringEllips(int32_t x, int32_t y, int32_t font, int32_t hue, const char16_t* text,
                                          const PixelSurface& surface, const BlitRect& clip)
{
    if (fontAt(font) == nullptr) {
        missingFont("FontManager::DrawWideStringEllips");
        return 0;
    }
    if (text == nullptr) return 1;
    // Characters above 255 have no glyph here; unit 1 stands for them (width 0, ends the line).
    std::string narrow;
    for (size_t i = 0; text[i] != 0 && narrow.size() < 256; ++i) narrow.push_back(text[i] > 255 ? '\x01' : static_cast<char>(text[i]));
    if (narrow.size() >= static_cast<size_t>(kMaxText)) narrow.resize(kMaxText);
    return DrawStringBufEllips(x, y, font, hue, narrow.c_str(), surface, clip);
}

// --- Surface primitives -------------------------------------------------------------------

namespace {

uint16_t g_lineBlendColor = 0;

uint16_t* surfacePixel(uint16_t* surface, int32_t x, int32_t y)
{
    const int32_t pitch = surface[0];
    const int32_t height = surface[1];
    if (x < 0 || y < 0 || x >= pitch || y >= height) return nullptr;
    return surface + 2 + static_cast<int64_t>(y) * pitch + x;
}

template <typename Plot>
void walkLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Plot plot)
{
    if (x0 == x1 || y0 == y1) {
        // Straight lines include both end points, in either direction.
        const int32_t dx = x1 > x0 ? 1 : (x1 < x0 ? -1 : 0);
        const int32_t dy = y1 > y0 ? 1 : (y1 < y0 ? -1 : 0);
        for (int32_t x = x0, y = y0;; x += dx, y += dy) {
            plot(x, y);
            if (x == x1 && y == y1) break;
        }
        return;
    }
    const int32_t spanX = std::abs(x1 - x0);
    const int32_t spanY = std::abs(y1 - y0);
    if (spanX >= spanY) {
        const int64_t slope = (static_cast<int64_t>(y1 - y0) << 16) / spanX;
        const int32_t step = x1 > x0 ? 1 : -1;
        int64_t yy = static_cast<int64_t>(y0) << 16;
        for (int32_t i = 0; i < spanX; ++i, yy += slope) plot(x0 + i * step, static_cast<int32_t>(yy >> 16));
    } else {
        const int64_t slope = (static_cast<int64_t>(x1 - x0) << 16) / spanY;
        const int32_t step = y1 > y0 ? 1 : -1;
        int64_t xx = static_cast<int64_t>(x0) << 16;
        for (int32_t i = 0; i < spanY; ++i, xx += slope) plot(static_cast<int32_t>(xx >> 16), y0 + i * step);
    }
}

} // namespace

void FillSurfaceRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint16_t colour, uint16_t* surface)
{
    if (surface == nullptr) return;
    // Pixels go in pairs from an even column and an even first row, as the 32-bit stores did.
    const int32_t firstColumn = 2 * (left / 2);
    const int32_t pairs = (right - left + 1) / 2;
    const int32_t firstRow = 2 * (top / 2);
    for (int32_t r = 0; r <= bottom - top; ++r)
        for (int32_t c = 0; c < 2 * pairs; ++c)
            if (uint16_t* p = surfacePixel(surface, firstColumn + c, firstRow + r)) *p = colour;
}

void DrawSurfaceLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour, uint16_t* surface)
{
    if (surface == nullptr) return;
    walkLine(x0, y0, x1, y1, [&](int32_t x, int32_t y) {
        if (uint16_t* p = surfacePixel(surface, x, y)) *p = colour;
    });
}

void setSurfaceLineBlendColor(uint16_t colour) { g_lineBlendColor = colour; }

void DrawSurfaceLineBlend(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t* surface)
{
    if (surface == nullptr) return;
    const uint16_t mask = static_cast<uint16_t>(spanPixelLayout().halfMask >> 1);
    walkLine(x0, y0, x1, y1, [&](int32_t x, int32_t y) {
        if (uint16_t* p = surfacePixel(surface, x, y)) *p = static_cast<uint16_t>(((*p >> 1) & mask) + g_lineBlendColor);
    });
}

void CopySurfaceLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t* destination, const uint16_t* source)
{
    if (destination == nullptr || source == nullptr) return;
    walkLine(x0, y0, x1, y1, [&](int32_t x, int32_t y) {
        uint16_t* to = surfacePixel(destination, x, y);
        const uint16_t* from = surfacePixel(const_cast<uint16_t*>(source), x, y);
        if (to != nullptr && from != nullptr) *to = *from;
    });
}
