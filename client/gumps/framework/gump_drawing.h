/** @file Gump art painted into a frame bitmap: tiles, the nine-piece frame with its ornaments, bars, the highlight bar, the tiled column. */
#pragma once

#include "client/data/font_manager.h"
#include "client/gumps/framework/gump.h"
#include "platform/random/random.h"

#include <cstdint>

/** The bitmap as a surface the fonts draw into. */
PixelSurface BitmapSurface(GumpBitmap& bitmap);

/** One art with its top-left at (x, y), transparent, clipped to the bitmap and above row clipBottom (when given). */
void DrawGumpArtAt(int art, GumpBitmap& bitmap, int x, int y, int clipBottom = -1);

/** Repeats one art over the whole bitmap, the last column and row clipped. */
void TileGumpArt(int art, GumpBitmap& bitmap);

/**
 * The nine-piece frame of base .. base + 8 filling the bitmap; unless plain, the ornament pairs
 * base + 11 .. base + 18 are placed at random along the edges (drawn opaque).
 */
void DrawGumpArtFrame(int base, GumpBitmap& bitmap, int plain);
/** The same frame (and ornaments) in the rectangle (x, y, width, height) of the bitmap. */
void DrawGumpArtFrameRect(int x, int y, int width, int height, int base, GumpBitmap& bitmap, int plain);

/** Left cap art, middle art + 1 repeated, right cap art + 2 at the right end; nothing when a piece is missing. */
void DrawGumpArtBar(int art, GumpBitmap& bitmap);

/**
 * Darkens and tints a bar of length pixels at (x, y): the shape of art at the left, a full run in
 * the middle, the shape of art + 1 at the right. Each pixel p becomes ((p >> 1) & mask) + tint.
 */
void DrawHighlightBar(int x, int y, int length, int art, GumpBitmap& bitmap);
/** The mask and tint of the highlight bar (they follow the display's colour format). */
void SetHighlightBlend(uint16_t mask, uint16_t tint);

/**
 * A column of art: top art at (0, topOffset); the middle pieces top + 1 .. top + middleCount
 * cycled down from 1 pixel above the top art's bottom to the limit (bitmap height - end piece
 * height - bottomReserve), the last one clipped there; the end piece top + middleCount + 1 at 1
 * pixel above the limit. Pieces narrower than the top art are centred.
 */
void DrawTiledColumnArt(int topArt, int middleCount, GumpBitmap& bitmap, int topOffset, int bottomReserve);

/** The numbers that place frame ornaments; its own stream, so that tests can seed it. */
platform::Random& FrameOrnamentRandom();
