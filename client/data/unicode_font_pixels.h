/** @file Pixel loops of the Unicode fonts that follow pixel values only: plotting a 1-bit glyph and an underline. */
#pragma once

#include "client/data/font_manager.h"

#include <cstdint>

/** A glyph found in a font image: rows of ceil(width / 8) bytes, bit 7 of a row's first byte the leftmost pixel. */
struct GlyphBits {
    const uint8_t* rows = nullptr;
    int32_t xOffset = 0;
    int32_t yOffset = 0;
    int32_t width = 0;
    int32_t height = 0;
};

/** The rows a draw may have written, [top, bottom); none while top >= bottom. */
struct InkRows {
    int32_t top = 0;
    int32_t bottom = 0;
    void add(int32_t from, int32_t to)
    {
        if (from >= to)
            return;
        if (top >= bottom) {
            top = from;
            bottom = to;
            return;
        }
        top = from < top ? from : top;
        bottom = to > bottom ? to : bottom;
    }
};

/** How a glyph is plotted: italic leans a row right by half its distance from the bottom, bold doubles each pixel rightwards. */
struct GlyphInk {
    uint16_t colour = 0;
    /** The colour of the first pixel of each row, where compact spacing softens it. */
    uint16_t firstColour = 0;
    bool italic = false;
    bool bold = false;
};

/** How far right of the glyph's left edge its pixels can reach: the lean of its top row and the bold pixel added. */
inline int32_t GlyphInkWidth(const GlyphBits& glyph, bool italic, bool bold)
{
    return glyph.width + (italic ? (glyph.height - 1) / 2 : 0) + (bold ? 1 : 0);
}

/**
 * Plots the set bits of a glyph whose rows lie wholly inside its font image, pen at (x, top),
 * each pixel clipped to area (already inside the surface).
 */
void PlotGlyph(const PixelSurface& surface, const BlitRect& area, const GlyphBits& glyph, int32_t x, int32_t top,
               const GlyphInk& ink, InkRows* rows = nullptr);
/** Plots pixels x .. x + length - 1 of row y, clipped to area (already inside the surface). */
void PlotRow(const PixelSurface& surface, const BlitRect& area, int32_t x, int32_t y, int32_t length, uint16_t colour,
             InkRows* rows = nullptr);
