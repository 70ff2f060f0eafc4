/** @file The 8-bit bitmap fonts of fonts.mul: loading, measuring, word wrap, drawing, and four small surface primitives. */
#pragma once

#include "client/data/art_blit.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

/** One glyph: width x height 5-5-5 pixels row by row, 0 transparent. Width 0 means absent. */
struct FontGlyph {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint16_t> pixels;
};

/** One font: 224 glyphs for the characters 32..255 and the vertical value of each. */
class CFont {
public:
    static constexpr int32_t kFirstChar = 32;
    static constexpr int32_t kGlyphCount = 224;

    CFont();
    ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    /** The glyph of a character, or null when it has none (below 32 or width 0). */
    const FontGlyph* glyph(int32_t character) const;

    /** 1: a hue recolours only grey pixels; 0: it recolours every pixel. */
    int32_t hueMode = 0;
    std::array<std::unique_ptr<FontGlyph>, kGlyphCount> glyphs;
    /** Row of each glyph's bottom edge relative to the pen's y. */
    std::array<int32_t, kGlyphCount> verticals{};
};

/**
 * Reads one font's 224 glyph records (width, height and vertical bytes, then width x height
 * little-endian pixels each), as fonts.mul and a font patch hold them. Null when the records run
 * past size; else *used (when given) gets the bytes read.
 */
std::unique_ptr<CFont> ReadFontGlyphs(const uint8_t* data, size_t size, size_t* used);

/** A 16-bit drawing target: pixels, pitch in pixels, width and height. Text never writes outside it. */
struct PixelSurface {
    uint16_t* pixels = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Static holder of the 25 font slots. Every operation takes font numbers 0..24; any other number
// behaves as an empty slot. Text is 8-bit, characters 0..255; characters below 32 have no glyph.
// Drawing clips to the clip rectangle and to the surface. Main thread only.
class FontManager {
public:
    static constexpr int32_t kFontSlots = 25;
    /** Texts of this many bytes or more are cut to it before wrapping or ellipsis. */
    static constexpr int32_t kMaxText = 255;

    static void startup();
    static void shutdown();
    /** Reads fonts.mul through FileManager; a missing file is fatal. */
    static void LoadFonts();
    /**
     * Reads the fonts from a file image and sets the hue modes. A font cut short by the end of
     * the data is dropped with an error line (its slot stays empty); slots after the end are empty.
     * Returns the number of fonts loaded.
     */
    static int32_t loadFontsFrom(const uint8_t* data, size_t size);
    /** Replaces one slot (a server patch); null empties it. Out-of-range slots are ignored. */
    static void replaceFont(int32_t font, std::unique_ptr<CFont> replacement);
    /** Frees every font. */
    static void unloadFonts();

    /** The configuration switches ShadedFonts and use565, which the drawing reads from the configuration store. */
    static void setShadedFonts(bool on);
    static void setUse565(bool on);
    static bool use565();

    static int32_t IsFontLoaded(int32_t font);
    static int32_t HasGlyph(int32_t font, int32_t character);
    static int32_t GetCharWidth(int32_t font, int32_t character);
    static int32_t GetStringWidthN(int32_t font, int32_t n, const char* text);
    static int32_t GetStringExtent(int32_t font, const char* text, int32_t* width, int32_t* height, int32_t* baseline);
    /** Break index (-1 when the whole text fits) and, in *reached, the width summed when the search stopped. */
    static int32_t FindWrapPoint(int32_t font, const char* text, int32_t width, int32_t* reached);
    /**
     * FindWrapPoint's break index, and in *lineHeight the height GetStringExtent gives the line
     * it cuts (text[0..index], or the whole text when the index is -1; 0 for an empty slot), in
     * one scan of the line.
     */
    static int32_t FindWrapPointAndHeight(int32_t font, const char* text, int32_t width, int32_t* lineHeight);
    static int32_t GetCharIndexAtX(int32_t font, const char* text, int32_t x);
    static int32_t CalcInfoWrap(int32_t font, const char* text, int32_t wrapWidth, int32_t* widest, int32_t* totalHeight,
                                int32_t* firstBaseline, int32_t indent);
    static void GetStringWrapEndXY(int32_t font, int32_t n, const char* text, int32_t wrapWidth, int32_t* x, int32_t* y);
    static int32_t GetWrapIndexAtXY(int32_t font, const char* text, int32_t wrapWidth, int32_t x, int32_t y);

    /** Draws one line whose top is y; 0 (after "Missing Font!") for an empty slot. */
    static int32_t DrawString(int32_t x, int32_t y, int32_t font, int32_t hue, const char* text, const PixelSurface& surface,
                              const BlitRect& clip);
    /** Draws wrapped text; returns the height used, 0 for an empty slot or a null text. */
    static int32_t DrawstringBuf(int32_t x, int32_t y, int32_t font, int32_t hue, const char* text, int32_t wrapWidth,
                                 const PixelSurface& surface, const BlitRect& clip, int32_t indent, int32_t lineHeight,
                                 int32_t centre);
    static int32_t DrawStringBufEllips(int32_t x, int32_t y, int32_t font, int32_t hue, const char* text,
                                       const PixelSurface& surface, const BlitRect& clip);
    static int32_t DrawWideStringEllips(int32_t x, int32_t y, int32_t font, int32_t hue, const char16_t* text,
                                        const PixelSurface& surface, const BlitRect& clip);

    /** True once "Missing Font!" has been shown; later misses are only logged. For tests. */
    static bool missingFontShown();
    static void resetMissingFontNotice();
};

// Primitives on a self-describing surface: u16 pitch, u16 height, then the pixels. Every pixel
// outside {0..pitch-1, 0..height-1} is skipped.
void FillSurfaceRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint16_t colour, uint16_t* surface);
void DrawSurfaceLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour, uint16_t* surface);
/** Each pixel on the line p becomes ((p >> 1) & (half mask >> 1)) + the blend colour (0 by default: half brightness). */
void DrawSurfaceLineBlend(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t* surface);
void setSurfaceLineBlendColor(uint16_t colour);
/** Copies each pixel on the line from a second surface of the same layout (both bounds checked). */
void CopySurfaceLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t* destination, const uint16_t* source);
