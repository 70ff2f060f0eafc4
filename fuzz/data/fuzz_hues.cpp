/** @file Fuzz target: a hues.mul image, a server-sent hue group, hue look-ups, a nearest-hue search and colour texts. */
#include "client/data/hue_manager.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HueManager::LoadFrom(data, size);
    // The same bytes as a group the server sends: two bytes pick the group (any, in range or
    // not), a group's worth of entries follows.
    constexpr size_t kGroupBytes = 4 + 8 * kHueEntryBytes;
    if (size >= 2 + kGroupBytes)
        HueManager::ApplyGroup(static_cast<int16_t>(data[0] | data[1] << 8), data + 2);
    const uint16_t color = size > 1 ? static_cast<uint16_t>(data[0] | data[1] << 8) : 0;
    const int32_t nearest = HueManager::FindNearestHue(color);
    if (nearest < 0 || nearest >= kHueCount) __builtin_trap();
    for (int32_t hue : {-1, 0, 1, static_cast<int32_t>(color), kHueCount, kHueCount + 1}) {
        if (const HueEntry* e = HueManager::GetHue(hue)) {
            // Cleaning leaves no colour 0 and nothing past 15 bits.
            for (uint16_t c : e->colors)
                if (c == 0 || c > 0x7FFF) __builtin_trap();
        }
    }
    // The first bytes as a colour setting's text: "#rrggbb", "-hue" or a number.
    const std::string text(reinterpret_cast<const char*>(data), size < 16 ? size : 16);
    ParseColorValue(text.c_str());
    return 0;
}
