/** @file Nine-piece frames of gump art drawn into a frame bitmap: corners, edges tiled between them, the centre tiled inside. */
#pragma once

#include "client/data/gump_art.h"
#include "client/gumps/framework/gump.h"

/** The size of a gump art; 0 x 0 when it is missing. */
struct ArtSize {
    int w = 0;
    int h = 0;
};
ArtSize GumpArtExtent(int id);

/**
 * Draws the frame of the nine arts base .. base + 8 (top-left, top, top-right, left, centre,
 * right, bottom-left, bottom, bottom-right) over the rectangle (left, top, width x height) of the
 * bitmap, clipped to the bitmap (and to within, when given), through the span routine. Returns
 * whether any piece was drawn (all rows it wrote lie within top .. top + height - 1).
 */
bool DrawArtFrame(GumpBitmap& bitmap, int base, int left, int top, int width, int height, CombineFunc combine,
                  const ClipRect* within = nullptr);
