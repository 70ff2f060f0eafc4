/** @file Fuzz target: any bytes as a server-sent art message, a land record and an item image drawn turned. */
#include "client/core/kz_report.h"
#include "client/render/graphic_manager.h"
#include "client/render/sprite_blits.h"
#include "client/render/startup_tables.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    static const bool tables = [] {
        BuildStartupTables();
        GraphicManager::BuildGreyTable();
        return true;
    }();
    (void)tables;
    const auto length = static_cast<int32_t>(size);
    const int32_t stored = ServerArtLength(data, length);
    if (stored < 0 || stored > length)
        __builtin_trap();

    // A small surface so that the diamonds and turned boxes reach past its edges.
    std::vector<uint16_t> surface(40 * 30, 0);
    SetBlitTarget(surface.data(), 40, 40, 30);
    std::array<uint16_t, kLandTilePixels> tile{};
    if (DecodeLandRecord(data, length, tile)) {
        BlitLandPixels(tile.data(), -5, -9, BlitRect{0, 0, 40, 30}, false);
        BlitLandPixels(tile.data(), 10, 3, BlitRect{12, 4, 33, 29}, true);
    }
    if (const auto image = ParseArtImage(data, size)) {
        const uint8_t angle = size > 0 ? data[size - 1] : 0;
        BlitRotated(RotatedPixel::Copy, image.get(), BlitRect{0, 0, 40, 30}, -3, 2, angle);
        SetBlendMode(angle);
        BlitRotated(RotatedPixel::HuedBlend, image.get(), BlitRect{5, 5, 35, 25}, 6, -4, static_cast<uint8_t>(angle * 3), 2);
        const BlitRect source{-2, 1, image->width + 3, image->height / 2 + 1};
        BlitRotatedSource(RotatedPixel::HuedGrey, image.get(), source, 1, 1, angle, BlitRect{0, 0, 40, 30}, 1);
        BlitRect bounds{0, 0, image->width, image->height};
        GetRotatedBounds(angle, bounds);
    }
    SetBlitTarget(nullptr, 0, 0, 0);
    return 0;
}
