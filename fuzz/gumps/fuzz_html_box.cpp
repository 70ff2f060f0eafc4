/** @file Fuzz target: an HTML text laid out and drawn in a text box of a given size, then scrolled. */
#include "client/core/kz_report.h"
#include "client/data/unicode_font.h"
#include "client/gumps/framework/html_box.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged text would cost more than the layout.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    // Fonts where every character from '!' up has the same small glyph (3 x 4), so texts have widths to wrap.
    static const std::vector<uint8_t> font = [] {
        constexpr uint32_t glyphAt = 65536 * 4;
        std::vector<uint8_t> image(glyphAt, 0);
        for (uint32_t c = 0x21; c < 65536; ++c)
            for (int b = 0; b < 4; ++b)
                image[c * 4 + b] = static_cast<uint8_t>(glyphAt >> (8 * b));
        image.insert(image.end(), {0, 1, 3, 4});
        image.insert(image.end(), 4, 0xE0);
        return image;
    }();
    static const bool fonts = [] {
        for (int i = 0; i < 3; ++i)
            setUnicodeFontData(i, font.data(), font.size());
        return true;
    }();
    (void)fonts;
    if (size < 6)
        return 0;
    // Flags (2 bytes), width and height (a byte each: boxes up to 255 pixels wrap and clip the
    // texts at every width and height they reach; bigger ones only add blank pixels), the text
    // colour's choice and the scroll steps (a byte: 0-3 steps, bit 2 down), then the text in little-endian pairs.
    const uint32_t flags = static_cast<uint32_t>(data[0] | data[1] << 8);
    const int width = data[2];
    const int height = data[3];
    const int32_t colour = (data[4] & 1) != 0 ? 0x7BDE : 1;
    const int steps = data[5] & 3;
    const bool down = (data[5] & 4) != 0;
    std::u16string text;
    text.reserve((size - 6) / 2);
    for (size_t i = 6; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));

    auto* box = new HTMLBox(nullptr, 0, flags, false, false);
    box->SetText(text, colour);
    box->ResizeTo({0, 0, width, height});
    for (int i = 0; i < steps; ++i)
        box->ScrollBy(down);
    if (box->ScrollPosition() < 0 || box->ScrollPosition() > box->ScrollRange() || box->width != std::max(width, 1) ||
        box->height != std::max(height, 1))
        std::abort();
    delete box;
    return 0;
}
