/** @file Pixel loops of the Unicode fonts that follow pixel values only. */
#include "client/data/unicode_font_pixels.h"

#include <algorithm>
#include <cstddef>

namespace {

void plot(const PixelSurface& s, const BlitRect& area, int32_t x, int32_t y, uint16_t colour)
{
    if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) return;
    s.pixels[static_cast<int64_t>(y) * s.pitch + x] = colour;
}

} // namespace

void PlotGlyph(const PixelSurface& s, const BlitRect& area, const GlyphBits& g, int32_t x, int32_t top, const GlyphInk& ink,
               InkRows* rows)
{
    // Rows wholly above or below the area, and glyphs wholly beside it, have nothing to plot; the
    // first set pixel of a row takes the first colour whether it shows or not.
    const int32_t y0 = top + g.yOffset;
    const int32_t firstRow = std::max(0, area.top - y0);
    const int32_t endRow = std::min(g.height, area.bottom - y0);
    const int32_t x0 = x + g.xOffset;
    const int32_t widest = GlyphInkWidth(g, ink.italic, ink.bold);
    if (firstRow >= endRow || x0 >= area.right || x0 + widest <= area.left)
        return;
    if (rows != nullptr)
        rows->add(y0 + firstRow, y0 + endRow);
    const size_t rowBytes = (static_cast<size_t>(g.width) + 7) / 8;
    for (int32_t r = firstRow; r < endRow; ++r) {
        const uint8_t* row = g.rows + static_cast<size_t>(r) * rowBytes;
        const int32_t left = x0 + (ink.italic ? (g.height - r - 1) / 2 : 0);
        uint16_t* line = s.pixels + static_cast<int64_t>(y0 + r) * s.pitch;
        bool first = true;
        for (int32_t m = 0; m < g.width; ++m) {
            if ((row[m / 8] & (0x80 >> (m % 8))) == 0) continue;
            const uint16_t k = first ? ink.firstColour : ink.colour;
            first = false;
            const int32_t px = left + m;
            if (px >= area.left && px < area.right) line[px] = k;
            if (ink.bold && px + 1 >= area.left && px + 1 < area.right) line[px + 1] = k;
        }
    }
}

void PlotRow(const PixelSurface& s, const BlitRect& area, int32_t x, int32_t y, int32_t length, uint16_t colour, InkRows* rows)
{
    if (rows != nullptr && length > 0 && y >= area.top && y < area.bottom)
        rows->add(y, y + 1);
    for (int32_t u = 0; u < length; ++u) plot(s, area, x + u, y, colour);
}
