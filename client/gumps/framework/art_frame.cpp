/** @file Nine-piece frames of gump art drawn into a frame bitmap: corners, edges tiled between them, the centre tiled inside. */
#include "client/gumps/framework/art_frame.h"

#include <algorithm>
#include <cstdint>

ArtSize GumpArtExtent(int id)
{
    int32_t w = 0, h = 0;
    GetGumpArtSize(id, &w, &h);
    return {std::max(w, 0), std::max(h, 0)};
}

bool DrawArtFrame(GumpBitmap& bitmap, int base, int left, int top, int width, int height, CombineFunc combine,
                  const ClipRect* within)
{
    // A base so near the largest id that its pieces' ids would not be numbers has no pieces.
    if (base > INT32_MAX - 8)
        return false;
    ArtSize piece[9];
    for (int i = 0; i < 9; ++i)
        piece[i] = GumpArtExtent(base + i);
    const int right = left + width, bottom = top + height;
    bool drawn = false;
    auto tile = [&](int index, int l, int t, int r, int b) {
        const ArtSize s = piece[index];
        if (s.w <= 0 || s.h <= 0 || r <= l || b <= t)
            return;
        ClipRect clip{std::max(l, 0), std::max(t, 0), std::min<int>(r, bitmap.width), std::min<int>(b, bitmap.height)};
        if (within != nullptr)
            clip = {std::max(clip.left, within->left), std::max(clip.top, within->top), std::min(clip.right, within->right),
                    std::min(clip.bottom, within->bottom)};
        if (clip.right <= clip.left || clip.bottom <= clip.top)
            return;
        for (int ty = t; ty < b; ty += s.h) {
            if (ty + s.h <= clip.top)
                continue;
            for (int tx = l; tx < r; tx += s.w)
                if (tx + s.w > clip.left) {
                    DrawGumpArtClipped(combine, base + index, clip, tx, ty, bitmap.pixels.data(), bitmap.stride(),
                                       bitmap.height);
                    drawn = true;
                }
        }
    };
    tile(4, left + piece[0].w, top + piece[0].h, right - piece[8].w, bottom - piece[8].h);
    tile(1, left + piece[0].w, top, right - piece[2].w, top + piece[1].h);
    tile(7, left + piece[6].w, bottom - piece[7].h, right - piece[8].w, bottom);
    tile(3, left, top + piece[0].h, left + piece[3].w, bottom - piece[6].h);
    tile(5, right - piece[5].w, top + piece[2].h, right, bottom - piece[8].h);
    tile(0, left, top, left + piece[0].w, top + piece[0].h);
    tile(2, right - piece[2].w, top, right, top + piece[2].h);
    tile(6, left, bottom - piece[6].h, left + piece[6].w, bottom);
    tile(8, right - piece[8].w, bottom - piece[8].h, right, bottom);
    return drawn;
}
