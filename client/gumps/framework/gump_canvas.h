/** @file Drawing gumps into the back buffer: the ring of rows cut into plain pieces, and a canvas per piece. */
#pragma once

#include "client/data/gump_art.h"

#include <cstdint>
#include <functional>

/** A screen rectangle; right and bottom are exclusive. */
struct GumpRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool empty() const { return right <= left || bottom <= top; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    GumpRect intersect(const GumpRect& o) const;
    /** The smallest rectangle holding both; an empty one adds nothing. */
    GumpRect unite(const GumpRect& o) const;
};

/**
 * One piece of the screen that lies in one unbroken run of back-buffer rows and columns: screen
 * pixel (clip.left, clip.top) is at pixels[0], rows are pitch pixels apart. Gumps draw only
 * inside clip; every helper clips to it, so nothing is ever written outside the buffer.
 */
struct GumpCanvas {
    GumpRect clip;
    uint16_t* pixels = nullptr;
    int pitch = 0;
    /** Offset of pixels[0] in the back buffer (the save buffer is addressed the same way). */
    size_t bufferOffset = 0;

    /** The pixel at screen (x, y); only for points inside clip. */
    uint16_t* at(int x, int y) const
    {
        return pixels + static_cast<ptrdiff_t>(y - clip.top) * pitch + (x - clip.left);
    }
    /** Gump art id with its top-left corner at screen (x, y), through the span routine. */
    void drawArt(CombineFunc combine, int32_t artId, int x, int y) const;
    /** A width x height image whose rows are stride pixels apart, top-left at screen (x, y). */
    void drawImage(CombineFunc combine, const uint16_t* image, int width, int height, int stride, int x,
                   int y) const;
    /** Fills the part of rect inside the clip. */
    void fill(const GumpRect& rect, uint16_t colour) const;
};

/**
 * Where the screen lies in the back buffer: the start offset (the view offset less the scroll,
 * wrapped) and the buffer's size. Empty (no pieces) while the back buffer does not match the
 * screen size.
 */
struct BackBufferView {
    uint16_t* buffer = nullptr;
    int width = 0;
    int height = 0;
    size_t start = 0;

    /** The present back buffer of the display. */
    static BackBufferView current();
    bool valid() const { return buffer != nullptr && width > 0 && height > 0; }
    /**
     * Cuts rect (clipped to the screen) where it crosses the buffer's wrap column and wrap row
     * and calls draw with each piece, in screen order; at most four pieces.
     */
    void forEachPiece(const GumpRect& rect, const std::function<void(const GumpCanvas&)>& draw) const;
};
