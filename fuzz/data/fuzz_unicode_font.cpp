/** @file Fuzz target: glyph records from the input behind an offset table whose entries the input also chooses; the text is measured, wrapped and drawn. */
#include "client/data/unicode_font.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char16_t kCodes[] = {u'a', u'b', u'c', u'^', u'L', 0x4E00, 0x4E01, 0x3002, 0x300C, u'.'};
    constexpr size_t kTable = 65536 * 4;
    constexpr size_t kPicks = sizeof(kCodes) / sizeof(kCodes[0]);
    if (size < kPicks * 2) return 0;
    // The offset table is zero but for the entries of the chosen codes, which every input sets:
    // it is made once, and only the glyph area after it changes.
    static std::vector<uint8_t> font(kTable, 0);
    font.resize(kTable);
    font.insert(font.end(), data + kPicks * 2, data + size);
    // Each chosen code points into the glyph area, or anywhere at all when the high bit is set.
    for (size_t i = 0; i < kPicks; ++i) {
        const uint32_t pick = static_cast<uint32_t>(data[2 * i] | data[2 * i + 1] << 8);
        const uint32_t offset = (pick & 0x8000) != 0 ? pick * 97u : static_cast<uint32_t>(kTable) + (pick & 0x7FFF);
        for (int b = 0; b < 4; ++b) font[kCodes[i] * 4u + static_cast<unsigned>(b)] = static_cast<uint8_t>(offset >> (8 * b));
    }
    unloadUnicodeFonts();
    for (int32_t f = 0; f < kUnicodeFontCount; ++f) setUnicodeFontData(f, font.data(), font.size());

    // One surface for the whole run, cleared for each input (a block clear, not a loop traced pixel by pixel).
    static std::vector<uint16_t> pixels(40 * 30);
    std::memset(pixels.data(), 0, pixels.size() * sizeof(uint16_t));
    const PixelSurface surface{pixels.data(), 40, 36, 30};
    const char16_t* text = u"ab c^L\u4E00\u4E01\u3002\u300C\u4E00 a.b\nc";
    int32_t w = 0, h = 0, t = 0;
    // One style per input, picked by the input's length so the glyph bytes stay as they are:
    // every style is reached across the corpus at a third of the cost per run.
    static const uint32_t kStyles[] = {0u, 0x18u, 0x10120u};
    const uint32_t style = kStyles[size % 3];
    UnicodeSetStyle(style);
    setUnicodeColorCodes(style != 0);
    UnicodeCalcInfoWrap(text, 12, &w, &h, &t);
    UnicodeGetWrapIndexAtXY(text, 15, 7, 20);
    UnicodeDrawStringWrappedHighlighted(surface, 14, text, -3, -5, 0x7FFF, BlitRect{0, 0, 40, 30}, style != 0, 0x1F, 2, 6);
    UnicodeDrawString(surface, text, 30, 25, 0x3DEF, BlitRect{-9, -9, 99, 99});
    UnicodeRestoreStyle();
    unloadUnicodeFonts();
    return 0;
}
