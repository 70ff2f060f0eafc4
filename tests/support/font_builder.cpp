/** @file Builders of fonts.mul images for tests. */
#include "tests/support/font_builder.h"

#include <cstddef>

namespace testsupport {

uint16_t blockPixel(int character, int row, int column)
{
    return static_cast<uint16_t>(((character & 0x7F) << 8 | (row & 0xF) << 4 | (column & 0xF)) + 1);
}

AsciiGlyphSpec blockGlyph(int character, uint8_t width, uint8_t height, uint8_t vertical)
{
    AsciiGlyphSpec g{width, height, vertical, {}};
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) g.pixels.push_back(blockPixel(character, r, c));
    return g;
}

AsciiFontSpec blockFont(uint8_t width, uint8_t height, uint8_t vertical)
{
    AsciiFontSpec font;
    for (int c = 32; c < 256; ++c) font[c] = blockGlyph(c, width, height, vertical);
    return font;
}

std::vector<uint8_t> buildFontsMul(const std::vector<std::optional<AsciiFontSpec>>& slots)
{
    std::vector<uint8_t> out;
    for (const auto& slot : slots) {
        if (!slot) {
            out.push_back(0);
            continue;
        }
        out.push_back(1);
        for (const AsciiGlyphSpec& g : slot->glyphs) {
            out.push_back(g.width);
            out.push_back(g.height);
            out.push_back(g.vertical);
            for (uint16_t p : g.pixels) {
                out.push_back(static_cast<uint8_t>(p));
                out.push_back(static_cast<uint8_t>(p >> 8));
            }
        }
    }
    return out;
}

} // namespace testsupport
