/** @file Gump art access: size, run-encoded drawing through a combine function, pixel tests, raw image blits. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

/** A row operation supplied by the caller (copy, transparent copy, hue, blend). */
using CombineFunc = void (*)(uint16_t* dest, const uint16_t* src, int32_t count);

/** Surface rectangle; right and bottom are exclusive. */
struct ClipRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

/**
 * One gump art entry over its bytes: a row table of 32-bit word offsets, then per row runs of
 * {colour low 16 bits, length high 16 bits}. Every offset and run is checked against the entry:
 * a row table pointing outside it makes the image absent, a row whose runs end with the entry
 * reads as transparent after them, and a run past the width is cut.
 */
class GumpArtImage {
public:
    /** False when the size in the extra is empty, or the row table or a row's start lies outside the entry. */
    bool decode(const uint8_t* data, size_t size, uint32_t extra);
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    /** Expands row y into width() pixels. */
    void expandRow(int32_t y, uint16_t* out) const;
    /** Colour of pixel x of row y (0 transparent or outside). */
    uint16_t pixel(int32_t x, int32_t y) const;

private:
    const uint8_t* data_ = nullptr;
    size_t words_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

void GetGumpArtSize(int32_t gumpId, int32_t* width, int32_t* height);
void DrawGumpArt(CombineFunc combine, int32_t gumpId, int32_t x, int32_t y, uint16_t* surface, int32_t pitch,
                 int32_t surfaceHeight);
void DrawGumpArtClipped(CombineFunc combine, int32_t gumpId, const ClipRect& clip, int32_t x, int32_t y,
                        uint16_t* surface, int32_t pitch, int32_t surfaceHeight);
/** Draws an already decoded image the same way (used by the two above). */
void DrawGumpArtImage(CombineFunc combine, const GumpArtImage& image, const ClipRect* clip, int32_t x, int32_t y,
                      uint16_t* surface, int32_t pitch, int32_t surfaceHeight);
void BlitImageRows(CombineFunc combine, const uint16_t* image, int32_t width, int32_t height, int32_t x, int32_t y,
                   uint16_t* surface, int32_t pitch, int32_t surfaceHeight);
void BlitImageRowsClipped(CombineFunc combine, const uint16_t* image, const ClipRect& clip, int32_t width,
                          int32_t height, int32_t x, int32_t y, uint16_t* surface, int32_t pitch,
                          int32_t surfaceHeight);
uint16_t GetGumpArtPixel(int32_t gumpId, int32_t x, int32_t y);

/** 5-5-5 to 5-6-5. */
inline uint16_t Convert555To565(uint16_t c)
{
    return static_cast<uint16_t>(((c & 0x7FE0) << 1) | (c & 0x1F));
}
