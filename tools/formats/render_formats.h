/** @file Writers for the drawing data: body animation records, land textures and the light files. */
#pragma once

#include "tools/formats/le_writer.h"

#include <array>
#include <cstdint>
#include <vector>

namespace formats {

/** One frame of a body animation: its box relative to the anchor and its palette indices (0 transparent). */
struct BodyFrame {
    int16_t centreX = 0;
    int16_t centreY = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    /** width x height palette indices, row by row; 0 leaves the pixel out. */
    std::vector<uint8_t> pixels;
    /** Written with offset 0 (no frame). */
    bool absent = false;
};

/**
 * A body animation record: 256 palette colours, the frame count, an offset a frame from the end
 * of the palette, and each frame's header and runs. Pixel (x, y) of a frame lies at x offset
 * x - centre x from the sprite x and row offset y - centre y - height from the foot line; every
 * stretch of non-zero indices of a row is one run; the runs end with 0x7FFF7FFF.
 */
Bytes encodeBodyAnimation(const std::array<uint16_t, 256>& palette, const std::vector<BodyFrame>& frames);

/** A land texture: size x size 5-5-5 texels, row by row (size 64 or 128). */
Bytes encodeTexture(const std::vector<uint16_t>& texels);

/** One light: its width, height and brightness (0..31) a pixel, row by row. */
struct LightSprite {
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<int8_t> values;
    /** Written as an entry without data. */
    bool absent = false;
};
/** lightidx.mul (12 bytes an entry: offset, length, width, height) and light.mul. */
struct LightFiles {
    Bytes index;
    Bytes data;
};
LightFiles encodeLights(const std::vector<LightSprite>& lights);

} // namespace formats
