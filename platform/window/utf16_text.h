/** @file UTF-8 text (typed text, the clipboard) as the UTF-16 units the window procedure takes. */
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

/**
 * The UTF-16 units of UTF-8 text; characters beyond 16 bits become surrogate pairs. A byte that
 * does not begin a whole, well-formed sequence is skipped, and decoding goes on at the next byte.
 */
inline std::vector<uint16_t> utf16FromUtf8(std::string_view text)
{
    std::vector<uint16_t> units;
    units.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || static_cast<size_t>(extra) >= text.size() - i) {
            ++i;
            continue;
        }
        uint32_t cp = extra == 0 ? lead : lead & (0x3Fu >> extra);
        bool ok = true;
        for (int k = 1; k <= extra && ok; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            ok = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3Fu);
        }
        if (!ok || cp > 0x10FFFF) {
            ++i;
            continue;
        }
        i += static_cast<size_t>(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units.push_back(static_cast<uint16_t>(0xD800 + (cp >> 10)));
            units.push_back(static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            units.push_back(static_cast<uint16_t>(cp));
        }
    }
    return units;
}

} // namespace platform
