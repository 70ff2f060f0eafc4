/** @file Fuzz target: any bytes read as fonts.mul, then every loaded font measured, wrapped and drawn near the surface edges. */
#include "client/core/kz_report.h"
#include "client/data/font_manager.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    FontManager::loadFontsFrom(data, size);
    std::vector<uint16_t> pixels(32 * 12, 0);
    const PixelSurface surface{pixels.data(), 32, 32, 12};
    const char* text = "Ab cd\xE9 ef ghijklm";
    for (int32_t font = 0; font < FontManager::kFontSlots; ++font) {
        if (!FontManager::IsFontLoaded(font)) continue;
        int32_t w = 0, h = 0, b = 0;
        FontManager::GetStringExtent(font, text, &w, &h, &b);
        FontManager::CalcInfoWrap(font, text, 10, &w, &h, &b, 3);
        FontManager::GetWrapIndexAtXY(font, text, 12, 5, 9);
        FontManager::DrawString(-2, -3, font, 0, text, surface, BlitRect{0, 0, 32, 12});
        FontManager::DrawstringBuf(3, 2, font, 1, text, 14, surface, BlitRect{-5, -5, 40, 40}, 2, 0, 1);
        FontManager::DrawStringBufEllips(20, 8, font, 5, text, surface, BlitRect{0, 0, 30, 12});
    }
    FontManager::unloadFonts();
    return 0;
}
