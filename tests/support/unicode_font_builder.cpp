/** @file Builders of Unicode font files for tests. */
#include "tests/support/unicode_font_builder.h"

#include <algorithm>
#include <cstddef>

namespace testsupport {

UnicodeGlyphSpec inkBlock(int width, int height, int8_t xOffset, int8_t yOffset)
{
    UnicodeGlyphSpec g;
    g.xOffset = xOffset;
    g.yOffset = yOffset;
    g.rows.assign(static_cast<size_t>(height), std::string(static_cast<size_t>(width), '#'));
    return g;
}

std::vector<uint8_t> buildUnicodeFont(const std::map<char16_t, UnicodeGlyphSpec>& glyphs)
{
    std::vector<uint8_t> out(65536 * 4, 0);
    for (const auto& [code, g] : glyphs) {
        setGlyphOffset(out, code, static_cast<uint32_t>(out.size()));
        size_t width = 0;
        for (const std::string& row : g.rows) width = std::max(width, row.size());
        out.push_back(static_cast<uint8_t>(g.xOffset));
        out.push_back(static_cast<uint8_t>(g.yOffset));
        out.push_back(static_cast<uint8_t>(width));
        out.push_back(static_cast<uint8_t>(g.rows.size()));
        for (const std::string& row : g.rows) {
            std::vector<uint8_t> bytes((width + 7) / 8, 0);
            for (size_t m = 0; m < row.size(); ++m)
                if (row[m] == '#') bytes[m / 8] = static_cast<uint8_t>(bytes[m / 8] | (0x80 >> (m % 8)));
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
    }
    return out;
}

void setGlyphOffset(std::vector<uint8_t>& font, char16_t code, uint32_t offset)
{
    for (int i = 0; i < 4; ++i) font.at(static_cast<size_t>(code) * 4 + static_cast<size_t>(i)) = static_cast<uint8_t>(offset >> (8 * i));
}

uint32_t glyphOffset(const std::vector<uint8_t>& font, char16_t code)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(font.at(static_cast<size_t>(code) * 4 + static_cast<size_t>(i))) << (8 * i);
    return v;
}

} // namespace testsupport
