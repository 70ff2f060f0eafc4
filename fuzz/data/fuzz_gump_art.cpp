/** @file Fuzz target: a gump art entry (4 bytes of index extra, then the entry) drawn clipped and pixel-tested. */
#include "client/data/gump_art.h"
#include "client/core/byte_reader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {
void copyRow(uint16_t* dest, const uint16_t* src, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) dest[i] = src[i];
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4) return 0;
    // Keep images small so a run is quick: 0..63 x 0..63.
    const uint32_t extra = ByteReader(data, size).u32le() & 0x003F003F;
    GumpArtImage image;
    if (!image.decode(data + 4, size - 4, extra)) return 0;
    std::vector<uint16_t> surface(40 * 30, 0);
    const ClipRect clip{2, 3, 35, 28};
    DrawGumpArtImage(copyRow, image, &clip, -5, -7, surface.data(), 40, 30);
    DrawGumpArtImage(copyRow, image, nullptr, 30, 20, surface.data(), 40, 30);
    for (int32_t y = -1; y <= image.height(); y += 7)
        for (int32_t x = -1; x <= image.width(); x += 5) image.pixel(x, y);
    return 0;
}
