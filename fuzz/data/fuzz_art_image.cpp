/** @file Fuzz target: any bytes read as a run-encoded art record, then drawn at several places and probed pixel by pixel. */
#include "client/data/art_blit.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto image = ParseArtImage(data, size);
    if (!image) return 0;
    // A small surface so that most placements touch its edges.
    std::vector<uint16_t> surface(24 * 16, 0);
    SetBlitTarget(surface.data(), 24, 24, 16);
    const int32_t positions[][2] = {{0, 0}, {-3, -2}, {20, 12}, {5, -7}, {-image->width + 1, 3}};
    for (const auto& p : positions) {
        BlitArt(CopySpanTransparent, image.get(), p[0], p[1]);
        BlitArtClipped(BlendSpanHalf, image.get(), BlitRect{2, 1, 19, 14}, p[0], p[1]);
    }
    for (int32_t y = -1; y <= image->height && y < 64; ++y)
        for (int32_t x = -1; x <= image->width && x < 64; ++x) (void)GetArtPixel(image.get(), x, y);
    SetBlitTarget(nullptr, 0, 0, 0);
    return 0;
}
