/** @file The see-through circle: scenery in front of the player fades toward what lies behind it inside a circle around the player. */
#pragma once

#include "client/data/art_blit.h"

#include <cstdint>

class CDrawItem;

/**
 * The circle around the player's screen position, in play-area pixels. Inside it an occluding
 * static is mixed with the background by the squared distance from the centre: the background
 * alone at the centre, the item alone on the rim. Radii whose square is a power of two mix
 * with a shift, the others with a division. Main thread only.
 */
class SeeThroughCircle {
public:
    /** Radius 64 at the centre of the play area. */
    static void startup();
    /** Held to 2..256, then Recompute. */
    static void SetRadius(int32_t r);
    /** Negative values become 0; held inside the play area; then Recompute. */
    static void SetCenter(int32_t x, int32_t y);
    /** The square, the shift and the bounding rectangle from the radius and centre. */
    static void Recompute();
    /**
     * 1 when the item is drawn through the circle: static scenery (never land or an object
     * with a serial), outside graphics 6038-6066, whose top rises more than 5 above the
     * player's z and whose screen rectangle overlaps the circle's.
     */
    static int Occludes(const CDrawItem& item);
    /** BlitArtClipped with every run piece passed through the circle. */
    static void BlitArt(SpanRoutine span, const ArtImage* image, const BlitRect& clip, int32_t x, int32_t y);
    /** The mix of an item pixel over a background pixel at squared distance d2 (0..r squared). */
    static uint16_t Mix(uint16_t item, uint16_t background, int32_t d2);

    static int32_t Radius();
    static int32_t RadiusSquared();
    /** log2 of the squared radius when it is a power of two, else 0 (the division form). */
    static int32_t Shift();
    static int32_t CenterX();
    static int32_t CenterY();
    static BlitRect Rect();
};
