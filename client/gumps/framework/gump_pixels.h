/** @file Pixel loops of the gump framework that follow pixel values only: outlining drawn text, filling a rectangle, copying the drawn pixels of an image. */
#pragma once

#include "client/gumps/framework/gump.h"

#include <cstdint>
#include <memory>

/** A w x h image of blank (0) pixels, rows of w pixels. */
std::unique_ptr<uint16_t[]> BlankPixels(int w, int h);

/** Every blank pixel of the w x h image beside a drawn one (neither 0 nor 1) becomes the key colour 1: the outline of overhead texts. */
void OutlineDrawnPixels(uint16_t* image, int w, int h);

/** Sets the pixels of rows top .. bottom - 1, columns left .. right - 1 (inside the bitmap) to colour. */
void FillPixelRect(GumpBitmap& bitmap, int left, int top, int right, int bottom, uint16_t colour);

/**
 * Copies the non-zero pixels of a w x h image (rows pitch pixels apart) into the bitmap at (x, y),
 * clipped to its top-left clipW x clipH pixels.
 */
void CopyNonZeroPixels(GumpBitmap& bitmap, int clipW, int clipH, const uint16_t* image, int pitch, int w, int h, int x, int y);
