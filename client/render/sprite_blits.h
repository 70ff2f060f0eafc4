/** @file Rotated sprites, land diamonds and remapped boxes: the pixel loops that draw effect frames turned by an angle, 44 x 44 land tiles and composed figures through a remap table. */
#pragma once

#include "client/data/art_blit.h"
#include "client/data/art_image.h"

#include <array>
#include <cstdint>

/** The pixel count of a stored land tile. */
inline constexpr int32_t kLandTilePixels = 1012;

// Both draw into the blit target (SetBlitTarget), clipped to the clip rectangle and to the target.

/** What a rotated blit writes for each visible source pixel. */
enum class RotatedPixel : uint8_t {
    Copy,      // the source, opaque
    Blend,     // blend(destination, source) through the current blend table (SetBlendMode)
    HuedBlend, // blend(destination, ramp[(source >> 5) & 31])
    HuedGrey,  // ramp[grey level of the source], opaque
};

/**
 * The whole image turned by the angle (256 steps to a turn) about its centre, in the box of
 * the image's size whose top-left corner is (x, y); angle 0 is a plain copy. Transparent are
 * the pixels outside every run; a 0 inside a run is drawn. hueIndex is a 0-based index into the
 * hue table; an index outside it draws as the unhued twin (HuedBlend as Blend, HuedGrey as Copy).
 */
void BlitRotated(RotatedPixel kind, const ArtImage* image, const BlitRect& clip, int32_t x, int32_t y, uint8_t angle,
                 int32_t hueIndex = -1);

/**
 * The source rectangle of the image turned about the image's centre, drawn in a box of the
 * source rectangle's size at (x, y): box pixel (j, i) stands for image point (source left + j,
 * source top + i). Pixels of value 0 are transparent. Otherwise as BlitRotated.
 */
void BlitRotatedSource(RotatedPixel kind, const ArtImage* image, const BlitRect& source, int32_t x, int32_t y,
                       uint8_t angle, const BlitRect& clip, int32_t hueIndex = -1);

/** Replaces a rectangle by the bounding box of its corners turned by the angle about its centre. */
void GetRotatedBounds(uint8_t angle, BlitRect& rect);

/**
 * The land diamond of an art id (0 .. 0x3FFF) with its top-left corner at (x, y): a missing
 * record draws record 0 instead; an id out of range or a record shorter than the 1,012 pixels
 * of a tile draws nothing and is logged once. The grey twin writes each pixel's entry of the
 * grey colour table.
 */
void BlitLandTile(int32_t artId, int32_t x, int32_t y, const BlitRect& clip);
void BlitLandTileGrey(int32_t artId, int32_t x, int32_t y, const BlitRect& clip);
/** Reads a land record's 1,012 little-endian pixels; false when it is shorter. */
bool DecodeLandRecord(const uint8_t* data, int32_t size, std::array<uint16_t, kLandTilePixels>& tile);
/** The same from 1,012 host-order pixels, as stored (rows of 2, 4, ... 44, 44, ... 2). */
void BlitLandPixels(const uint16_t* tile, int32_t x, int32_t y, const BlitRect& clip, bool grey);

/**
 * A width x height box of pixels with its top-left corner at (boxX, boxY): box pixel (column,
 * row) is source[table[row * width + column]], every table entry an index into source. Pixels
 * of value 0 are transparent; only pixels inside the clip and the blit target are written.
 */
void BlitRemapped(const uint16_t* source, const uint16_t* table, int32_t width, int32_t height, int32_t boxX,
                  int32_t boxY, const BlitRect& clip);
