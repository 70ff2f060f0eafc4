/** @file Builders of fonts.mul images for tests: small fonts whose glyph pixels name their character, row and column. */
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace testsupport {

struct AsciiGlyphSpec {
    uint8_t width = 0;
    uint8_t height = 0;
    uint8_t vertical = 0;
    std::vector<uint16_t> pixels;  // width x height, row by row
};

struct AsciiFontSpec {
    std::array<AsciiGlyphSpec, 224> glyphs;  // characters 32..255
    AsciiGlyphSpec& operator[](int character) { return glyphs[static_cast<size_t>(character - 32)]; }
};

/** The pixel of a block glyph: non-zero, different for each character, row and column. */
uint16_t blockPixel(int character, int row, int column);

/** A glyph of the given size whose every pixel is blockPixel(character, row, column). */
AsciiGlyphSpec blockGlyph(int character, uint8_t width, uint8_t height, uint8_t vertical);

/** A font in which every character 32..255 is a block glyph of the same size. */
AsciiFontSpec blockFont(uint8_t width, uint8_t height, uint8_t vertical);

/** A fonts.mul image: one entry per slot (empty slots as nullopt); slots past the list are not written. */
std::vector<uint8_t> buildFontsMul(const std::vector<std::optional<AsciiFontSpec>>& slots);

} // namespace testsupport
