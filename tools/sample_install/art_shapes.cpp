/** @file Small shapes the sample install draws its window art from. */
#include "tools/sample_install/art_shapes.h"

#include <cstddef>

namespace sampleinstall {

uint16_t rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return static_cast<uint16_t>((r & 31) << 10 | (g & 31) << 5 | (b & 31));
}

std::vector<uint16_t> panel(uint32_t w, uint32_t h, uint16_t border, uint16_t fill)
{
    std::vector<uint16_t> px(static_cast<size_t>(w) * h, fill);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            if (x < 3 || y < 3 || x + 3 >= w || y + 3 >= h) px[static_cast<size_t>(y) * w + x] = border;
    return px;
}

std::vector<uint16_t> button(uint32_t size, uint16_t colour)
{
    std::vector<uint16_t> px(static_cast<size_t>(size) * size, 0);
    const double r = size / 2.0;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            const double dx = x + 0.5 - r, dy = y + 0.5 - r;
            if (dx * dx + dy * dy <= r * r) px[static_cast<size_t>(y) * size + x] = colour;
        }
    return px;
}

std::vector<uint16_t> tick(uint32_t size, uint16_t border, uint16_t fill, uint16_t mark)
{
    std::vector<uint16_t> px = panel(size, size, border, fill);
    for (uint32_t x = 4; x + 4 < size; ++x) {
        const uint32_t y = x < size / 2 ? size / 2 + x - 4 : size + 1 - x;
        for (uint32_t t = 0; t < 2 && y + t < size - 3; ++t) px[static_cast<size_t>(y + t) * size + x] = mark;
    }
    return px;
}

std::vector<uint16_t> arrowButton(uint32_t size, uint16_t colour, bool mirrored)
{
    std::vector<uint16_t> px = button(size, colour);
    for (uint32_t y = size / 4; y < size * 3 / 4; ++y) {
        const uint32_t half = y < size / 2 ? y - size / 4 : size * 3 / 4 - 1 - y;
        for (uint32_t x = size / 3; x <= size / 3 + half; ++x) {
            const uint32_t at = mirrored ? size - 1 - x : x;
            px[static_cast<size_t>(y) * size + at] = rgb(31, 31, 31);
        }
    }
    return px;
}

} // namespace sampleinstall
