/** @file The blit target and the two run-encoded art blits that hand each visible run piece to a span routine. */
#pragma once

#include "client/data/art_image.h"
#include "client/data/span_routines.h"

#include <cstdint>
#include <functional>

/** A rectangle {left, top, right, bottom}; right and bottom are exclusive. */
struct BlitRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

/**
 * Sets the surface the art blits draw into: pixels, pitch in pixels, and the surface's width
 * and height. Every blit clips to {0, 0, width, height}, so nothing is written outside the
 * surface whatever the caller's coordinates. Returns the buffer.
 */
uint16_t* SetBlitTarget(uint16_t* buffer, int32_t pitch, int32_t width, int32_t height);
/** The target's pixels (null before the first SetBlitTarget), pitch and size. */
uint16_t* GetBlitTarget();
int32_t GetBlitPitch();
BlitRect GetBlitTargetRect();

/** Draws the image with its top-left corner at (x, y), limited only by the target surface. */
void BlitArt(SpanRoutine span, const ArtImage* image, int32_t x, int32_t y);
/** Draws the image clipped to the rectangle (and to the target surface); nothing for a null image. */
void BlitArtClipped(SpanRoutine span, const ArtImage* image, const BlitRect& clip, int32_t x, int32_t y);

/** One visible run piece: its target pixels, its source pixels, the count and the target column and row of its first pixel. */
using ArtPieceVisitor =
    std::function<void(uint16_t* destination, const uint16_t* source, int32_t count, int32_t x, int32_t y)>;
/** Hands every run piece BlitArtClipped would draw to the visitor instead of a span routine. */
void BlitArtClippedPieces(const ArtImage* image, const BlitRect& clip, int32_t x, int32_t y, const ArtPieceVisitor& visit);
