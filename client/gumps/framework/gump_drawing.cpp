/** @file Gump art painted into a frame bitmap. */
#include "client/gumps/framework/gump_drawing.h"

#include "client/data/span_routines.h"
#include "client/gumps/framework/art_frame.h"

#include <algorithm>
#include <cstdlib>

namespace {

uint16_t g_highlightMask = 0x3DEF;
uint16_t g_highlightTint = 0x1084;

/** A rectangle of the bitmap that drawing is kept inside; right and bottom exclusive. */
ClipRect clipTo(const GumpBitmap& bitmap, int left, int top, int right, int bottom)
{
    return {std::max(left, 0), std::max(top, 0), std::min<int>(right, bitmap.width), std::min<int>(bottom, bitmap.height)};
}

bool empty(const ClipRect& c)
{
    return c.right <= c.left || c.bottom <= c.top;
}

void drawArt(GumpBitmap& bitmap, CombineFunc combine, int art, int x, int y, const ClipRect& clip)
{
    if (empty(clip) || bitmap.pixels.empty())
        return;
    DrawGumpArtClipped(combine, art, clip, x, y, bitmap.pixels.data(), bitmap.stride(), bitmap.height);
}

/** Repeats art over (left, top)-(right, bottom) from its top-left corner, clipped to that area. */
void tile(GumpBitmap& bitmap, int art, int left, int top, int right, int bottom)
{
    const ArtSize s = GumpArtExtent(art);
    const ClipRect clip = clipTo(bitmap, left, top, right, bottom);
    if (s.w <= 0 || s.h <= 0 || empty(clip))
        return;
    for (int ty = top; ty < clip.bottom; ty += s.h) {
        if (ty + s.h <= clip.top)
            continue;
        for (int tx = left; tx < clip.right; tx += s.w)
            if (tx + s.w > clip.left)
                drawArt(bitmap, CopySpanTransparent, art, tx, ty, clip);
    }
}

/**
 * One ornament pair along an edge of length `edge`: both pieces placed 10 pixels or more from
 * the ends and apart by the first one's length + 10. Returns false (nothing to draw) when the
 * pair does not fit or no such places turn up.
 */
bool placePair(int edge, int first, int second, int& at1, int& at2)
{
    if (first <= 0 || second <= 0 || first + second + 80 >= edge)
        return false;
    platform::Random& random = FrameOrnamentRandom();
    at1 = 10 + random.next() % (edge - first - 20);
    // Long pieces on a short edge may leave no second place: a bounded number of tries.
    for (int attempt = 0; attempt < 64; ++attempt) {
        at2 = 10 + random.next() % (edge - second - 20);
        if (std::abs(at1 - at2) >= first + 10)
            return true;
    }
    return false;
}

void drawOrnaments(GumpBitmap& bitmap, int base, int left, int top, int width, int height)
{
    const ClipRect clip = clipTo(bitmap, left, top, left + width, top + height);
    struct Edge {
        int first;
        bool horizontal;
        bool far;
    };
    const Edge edges[] = {{11, true, false}, {17, true, true}, {13, false, false}, {15, false, true}};
    for (const Edge& e : edges) {
        const ArtSize a = GumpArtExtent(base + e.first), b = GumpArtExtent(base + e.first + 1);
        if (a.w <= 0 || a.h <= 0 || b.w <= 0 || b.h <= 0)
            continue;
        int at1 = 0, at2 = 0;
        if (!placePair(e.horizontal ? width : height, e.horizontal ? a.w : a.h, e.horizontal ? b.w : b.h, at1, at2))
            continue;
        const int pieces[2] = {base + e.first, base + e.first + 1};
        const int along[2] = {at1, at2};
        const ArtSize sizes[2] = {a, b};
        for (int i = 0; i < 2; ++i) {
            const int across = e.far ? (e.horizontal ? height - sizes[i].h : width - sizes[i].w) : 0;
            const int px = left + (e.horizontal ? along[i] : across), py = top + (e.horizontal ? across : along[i]);
            drawArt(bitmap, CopySpan, pieces[i], px, py, clip);
        }
    }
}

void blendPixel(GumpBitmap& bitmap, int x, int y)
{
    if (x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height)
        return;
    uint16_t& p = bitmap.row(y)[x];
    p = static_cast<uint16_t>(((p >> 1) & g_highlightMask) + g_highlightTint);
}

/** Blends the pixels under the opaque pixels of art placed at (x, y). */
void blendShape(GumpBitmap& bitmap, int art, int x, int y)
{
    const ArtSize s = GumpArtExtent(art);
    for (int row = 0; row < s.h; ++row)
        for (int col = 0; col < s.w; ++col)
            if (GetGumpArtPixel(art, col, row) != 0)
                blendPixel(bitmap, x + col, y + row);
}

} // namespace

PixelSurface BitmapSurface(GumpBitmap& bitmap)
{
    return {bitmap.pixels.data(), bitmap.stride(), bitmap.width, bitmap.height};
}

void DrawGumpArtAt(int art, GumpBitmap& bitmap, int x, int y, int clipBottom)
{
    const int bottom = clipBottom < 0 ? bitmap.height : std::min<int>(clipBottom, bitmap.height);
    drawArt(bitmap, CopySpanTransparent, art, x, y, clipTo(bitmap, 0, 0, bitmap.width, bottom));
}

platform::Random& FrameOrnamentRandom()
{
    static platform::Random random(1);
    return random;
}

void TileGumpArt(int art, GumpBitmap& bitmap)
{
    tile(bitmap, art, 0, 0, bitmap.width, bitmap.height);
}

void DrawGumpArtFrame(int base, GumpBitmap& bitmap, int plain)
{
    DrawGumpArtFrameRect(0, 0, bitmap.width, bitmap.height, base, bitmap, plain);
}

void DrawGumpArtFrameRect(int x, int y, int width, int height, int base, GumpBitmap& bitmap, int plain)
{
    if (width <= 0 || height <= 0)
        return;
    ArtSize p[9];
    for (int i = 0; i < 9; ++i)
        p[i] = GumpArtExtent(base + i);
    const int right = x + width, bottom = y + height;
    tile(bitmap, base, x, y, x + p[0].w, y + p[0].h);
    tile(bitmap, base + 1, x + p[0].w, y, right - p[2].w, y + p[1].h);
    tile(bitmap, base + 2, right - p[2].w, y, right, y + p[2].h);
    tile(bitmap, base + 3, x, y + p[0].h, x + p[3].w, bottom - p[6].h);
    tile(bitmap, base + 6, x, bottom - p[6].h, x + p[6].w, bottom);
    tile(bitmap, base + 5, right - p[5].w, y + p[2].h, right, bottom - p[8].h);
    tile(bitmap, base + 8, right - p[8].w, bottom - p[8].h, right, bottom);
    tile(bitmap, base + 7, x + p[6].w, bottom - p[7].h, right - p[8].w, bottom);
    tile(bitmap, base + 4, x + p[3].w, y + p[1].h, right - p[5].w, bottom - p[7].h);
    if (plain == 0)
        drawOrnaments(bitmap, base, x, y, width, height);
}

void DrawGumpArtBar(int art, GumpBitmap& bitmap)
{
    const ArtSize l = GumpArtExtent(art), m = GumpArtExtent(art + 1), r = GumpArtExtent(art + 2);
    if (l.w <= 0 || m.w <= 0 || r.w <= 0)
        return;
    const ClipRect all = clipTo(bitmap, 0, 0, bitmap.width, bitmap.height);
    tile(bitmap, art + 1, l.w, 0, bitmap.width - r.w, m.h);
    drawArt(bitmap, CopySpanTransparent, art, 0, 0, all);
    drawArt(bitmap, CopySpanTransparent, art + 2, bitmap.width - r.w, 0, all);
}

void SetHighlightBlend(uint16_t mask, uint16_t tint)
{
    g_highlightMask = mask;
    g_highlightTint = tint;
}

void DrawHighlightBar(int x, int y, int length, int art, GumpBitmap& bitmap)
{
    if (length <= 0)
        return;
    const ArtSize l = GumpArtExtent(art), r = GumpArtExtent(art + 1);
    blendShape(bitmap, art, x, y);
    const int runHeight = std::max(l.h, r.h);
    for (int row = 0; row < runHeight; ++row)
        for (int col = x + l.w; col < x + length - r.w; ++col)
            blendPixel(bitmap, col, y + row);
    if (length - r.w >= l.w)
        blendShape(bitmap, art + 1, x + length - r.w, y);
}

void DrawTiledColumnArt(int topArt, int middleCount, GumpBitmap& bitmap, int topOffset, int bottomReserve)
{
    const ArtSize top = GumpArtExtent(topArt), end = GumpArtExtent(topArt + middleCount + 1);
    const ClipRect all = clipTo(bitmap, 0, 0, bitmap.width, bitmap.height);
    auto centred = [&](const ArtSize& s) { return s.w < top.w ? (top.w - s.w) / 2 : 0; };
    drawArt(bitmap, CopySpanTransparent, topArt, 0, topOffset, all);
    const int limit = bitmap.height - end.h - bottomReserve;
    const ClipRect middle = clipTo(bitmap, 0, 0, bitmap.width, limit);
    int y = topOffset + top.h - 1;
    int missing = 0;
    for (int i = 0; middleCount > 0 && y < limit && missing < middleCount; i = (i + 1) % middleCount) {
        const int art = topArt + 1 + i;
        const ArtSize s = GumpArtExtent(art);
        if (s.h <= 0) {
            ++missing; // a column of missing pieces would never reach the limit
            continue;
        }
        missing = 0;
        drawArt(bitmap, CopySpanTransparent, art, centred(s), y, middle);
        y += s.h;
    }
    if (end.h > 0)
        drawArt(bitmap, CopySpanTransparent, topArt + middleCount + 1, centred(end), limit - 1, all);
}
