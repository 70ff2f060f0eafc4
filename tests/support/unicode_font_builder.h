/** @file Builders of Unicode font files (unifont*.mul) for tests: an offset table for every code and small 1-bit glyphs. */
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

/** One glyph; each row is a string with '#' for ink and any other character for blank. */
struct UnicodeGlyphSpec {
    int8_t xOffset = 0;
    int8_t yOffset = 0;
    std::vector<std::string> rows;  // all rows as long as the widest one decides the width
};

/** A glyph of width x height, all ink. */
UnicodeGlyphSpec inkBlock(int width, int height, int8_t xOffset = 0, int8_t yOffset = 0);

/** The whole font file: the 65536-entry offset table, then the glyphs in code order. */
std::vector<uint8_t> buildUnicodeFont(const std::map<char16_t, UnicodeGlyphSpec>& glyphs);

/** Overwrites the offset table entry of a code (for damaged fonts). */
void setGlyphOffset(std::vector<uint8_t>& font, char16_t code, uint32_t offset);
/** The offset table entry of a code. */
uint32_t glyphOffset(const std::vector<uint8_t>& font, char16_t code);

} // namespace testsupport
