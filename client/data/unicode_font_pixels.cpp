/** @file Pixel loops of the Unicode fonts that follow pixel values only. */
#include "client/data/unicode_font_pixels.h"

#include <cstddef>

namespace {

void plot(const PixelSurface& s, const BlitRect& area, int32_t x, int32_t y, uint16_t colour)
{
    if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) return;
    s.pixels[static_cast<int64_t>(y) * s.pitch + x] = colour;
}

} // namespace

void PlotGlyph(const PixelSurface& s, const BlitRect& area, const GlyphBits& g, int32_t x, int32_t top, const GlyphInk& ink)
{
    const size_t rowBytes = (static_cast<size_t>(g.width) + 7) / 8;
    for (int32_t r = 0; r < g.height; ++r) {
        const uint8_t* row = g.rows + static_cast<size_t>(r) * rowBytes;
        const int32_t shift = ink.italic ? (g.height - r - 1) / 2 : 0;
        bool first = true;
        for (int32_t m = 0; m < g.width; ++m) {
            if ((row[m / 8] & (0x80 >> (m % 8))) == 0) continue;
            const uint16_t k = first ? ink.firstColour : ink.colour;
            first = false;
            const int32_t px = x + g.xOffset + m + shift;
            const int32_t py = top + g.yOffset + r;
            plot(s, area, px, py, k);
            if (ink.bold) plot(s, area, px + 1, py, k);
        }
    }
}

void PlotRow(const PixelSurface& s, const BlitRect& area, int32_t x, int32_t y, int32_t length, uint16_t colour)
{
    for (int32_t u = 0; u < length; ++u) plot(s, area, x + u, y, colour);
}
