/** @file Converts a 16-row hex bitmap font into the client's 8-bit fonts and 1-bit Unicode fonts. */
#include "tools/sample_install/write_fonts.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <map>
#include <vector>

namespace sampleinstall {

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kRows = 16;
// The hex font's baseline is row 13: rows 14 and 15 hold the descenders.
constexpr int kBelowBaseline = 2;
constexpr int kAsciiFonts = 10;
constexpr int kFontSlots = 25;
constexpr uint16_t kInk = 0x7BDE;  // light grey, so fonts that hue only grey pixels take any hue

/** One glyph: 8 or 16 columns; bit (width - 1 - column) of a row is the column's ink. */
struct HexGlyph {
    int width = 8;
    std::array<uint16_t, kRows> rows{};

    bool ink(int row, int column) const { return (rows[static_cast<size_t>(row)] >> (width - 1 - column) & 1) != 0; }
    /** Columns up to and including the rightmost ink; 0 for a blank glyph. */
    int inkWidth() const
    {
        int w = 0;
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < width; ++c)
                if (ink(r, c)) w = std::max(w, c + 1);
        return w;
    }
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool readHexFont(const std::filesystem::path& path, std::map<uint32_t, HexGlyph>& glyphs, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read the bitmap font " + path.string() + " (package unifont)";
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0 || colon > 6) continue;
        const std::string digits = line.substr(colon + 1);
        if (digits.size() != 32 && digits.size() != 64) continue;
        uint32_t code = 0;
        bool good = true;
        for (size_t i = 0; i < colon && good; ++i) {
            const int d = hexDigit(line[i]);
            good = d >= 0;
            code = code * 16 + static_cast<uint32_t>(d);
        }
        if (!good || code > 0xFFFF) continue;
        HexGlyph g;
        g.width = digits.size() == 32 ? 8 : 16;
        const size_t perRow = static_cast<size_t>(g.width / 4);
        for (int r = 0; r < kRows && good; ++r) {
            uint16_t v = 0;
            for (size_t k = 0; k < perRow && good; ++k) {
                const int d = hexDigit(digits[static_cast<size_t>(r) * perRow + k]);
                good = d >= 0;
                v = static_cast<uint16_t>(v << 4 | (d & 15));
            }
            g.rows[static_cast<size_t>(r)] = v;
        }
        if (good) glyphs[code] = g;
    }
    if (glyphs.empty()) {
        error = "no glyphs in " + path.string();
        return false;
    }
    return true;
}

void put16(Bytes& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// fonts.mul: slots 0..9 hold the same glyphs; each glyph is as wide as its ink plus one column
// of spacing, 16 rows, with its bottom edge two rows below the pen.
Bytes encodeAsciiFonts(const std::map<uint32_t, HexGlyph>& glyphs)
{
    Bytes font;
    for (uint32_t c = 32; c < 256; ++c) {
        const auto it = glyphs.find(c);
        const HexGlyph blank;
        const HexGlyph& g = it != glyphs.end() ? it->second : blank;
        const int inkWidth = g.inkWidth();
        const int width = inkWidth > 0 ? inkWidth + 1 : 4;  // blank glyphs (the space) stay 4 wide
        font.push_back(static_cast<uint8_t>(width));
        font.push_back(static_cast<uint8_t>(kRows));
        font.push_back(static_cast<uint8_t>(kBelowBaseline));
        for (int r = 0; r < kRows; ++r)
            for (int x = 0; x < width; ++x) put16(font, x < g.width && g.ink(r, x) ? kInk : 0);
    }
    Bytes out;
    for (int slot = 0; slot < kFontSlots; ++slot) {
        out.push_back(slot < kAsciiFonts ? 1 : 0);
        if (slot < kAsciiFonts) out.insert(out.end(), font.begin(), font.end());
    }
    return out;
}

// A Unicode font: the offset table, then each inked glyph trimmed to its ink, one row below the
// line top so that the 16 rows sit inside the 18-pixel line.
Bytes encodeUnicodeFont(const std::map<uint32_t, HexGlyph>& glyphs)
{
    Bytes out(65536 * 4, 0);
    for (const auto& [code, g] : glyphs) {
        const int width = g.inkWidth();
        if (width == 0) continue;
        const auto offset = static_cast<uint32_t>(out.size());
        for (int b = 0; b < 4; ++b) out[code * 4 + static_cast<uint32_t>(b)] = static_cast<uint8_t>(offset >> (8 * b));
        out.push_back(0);  // x offset
        out.push_back(1);  // y offset
        out.push_back(static_cast<uint8_t>(width));
        out.push_back(static_cast<uint8_t>(kRows));
        const int rowBytes = (width + 7) / 8;
        for (int r = 0; r < kRows; ++r)
            for (int k = 0; k < rowBytes; ++k) {
                uint8_t byte = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    const int column = k * 8 + bit;
                    if (column < width && g.ink(r, column)) byte = static_cast<uint8_t>(byte | (0x80 >> bit));
                }
                out.push_back(byte);
            }
    }
    return out;
}

} // namespace

bool writeFonts(const Layout& layout, std::string& error, const std::filesystem::path& hexFile)
{
    std::map<uint32_t, HexGlyph> glyphs;
    if (!readHexFont(hexFile, glyphs, error)) return false;
    if (!writeWholeFile(layout.install / "fonts.mul", encodeAsciiFonts(glyphs), error)) return false;
    const Bytes unicode = encodeUnicodeFont(glyphs);
    for (const char* name : {"unifont.mul", "unifont1.mul", "unifont2.mul"})
        if (!writeWholeFile(layout.install / name, unicode, error)) return false;
    return true;
}

} // namespace sampleinstall
