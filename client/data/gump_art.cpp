/** @file Gump art access. */
#include "client/data/gump_art.h"

#include "client/core/byte_reader.h"
#include "client/core/kz_report.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/data_settings.h"


#include <algorithm>

bool GumpArtImage::decode(const uint8_t* data, size_t size, uint32_t extra)
{
    width_ = static_cast<int32_t>(extra >> 16);
    height_ = static_cast<int32_t>(extra & 0xFFFF);
    data_ = data;
    words_ = size / 4;
    bool whole = data != nullptr && width_ != 0 && height_ != 0 && words_ >= static_cast<size_t>(height_);
    // A row that starts outside the entry means the table is damaged: the image is absent.
    ByteReader entry(data, words_ * 4);
    for (int32_t y = 0; whole && y < height_; ++y) whole = entry.u32leAt(static_cast<size_t>(y) * 4) < words_;
    if (!whole) {
        width_ = height_ = 0;
        return false;
    }
    return true;
}

void GumpArtImage::expandRow(int32_t y, uint16_t* out) const
{
    std::fill(out, out + width_, 0);
    if (y < 0 || y >= height_) return;
    ByteReader entry(data_, words_ * 4);
    size_t word = entry.u32leAt(static_cast<size_t>(y) * 4);
    int32_t x = 0;
    while (x < width_ && word < words_) {
        const uint32_t run = entry.u32leAt(word * 4);
        ++word;
        const int32_t n = std::min<int32_t>(static_cast<int32_t>(run >> 16), width_ - x);
        std::fill(out + x, out + x + n, static_cast<uint16_t>(run & 0xFFFF));
        x += n;
    }
}

uint16_t GumpArtImage::pixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    ByteReader entry(data_, words_ * 4);
    size_t word = entry.u32leAt(static_cast<size_t>(y) * 4);
    int32_t at = 0;
    while (at < width_ && word < words_) {
        const uint32_t run = entry.u32leAt(word * 4);
        ++word;
        at += static_cast<int32_t>(run >> 16);
        if (x < at) return static_cast<uint16_t>(run & 0xFFFF);
    }
    return 0;
}

namespace {

bool loadImage(int32_t gumpId, GumpArtImage& image)
{
    int32_t size = 0, extra = 0;
    const uint8_t* data = CDHDCache::GetCacheItem(FILE_GUMPIDX, FILE_GUMPART, gumpId, &size, &extra);
    if (data == nullptr || size <= 0) return false;
    if (!image.decode(data, static_cast<size_t>(size), static_cast<uint32_t>(extra))) {
        KZReport::warning("DrawGumpArt: gump art %d has a damaged row table; not drawn.\n", gumpId);
        return false;
    }
    return true;
}

/** Visible area of an image placed at x, y: surface edges, then the clip rectangle. */
bool visibleArea(int32_t x, int32_t y, int32_t width, int32_t height, int32_t pitch, int32_t surfaceHeight,
                 const ClipRect* clip, ClipRect& out)
{
    out = {std::max(x, 0), std::max(y, 0), std::min(x + width, pitch), std::min(y + height, surfaceHeight)};
    if (clip != nullptr) {
        out.left = std::max(out.left, clip->left);
        out.top = std::max(out.top, clip->top);
        out.right = std::min(out.right, clip->right);
        out.bottom = std::min(out.bottom, clip->bottom);
    }
    return out.left < out.right && out.top < out.bottom;
}

} // namespace

void GetGumpArtSize(int32_t gumpId, int32_t* width, int32_t* height)
{
    int32_t size = 0, extra = 0;
    const uint8_t* data = CDHDCache::GetCacheItem(FILE_GUMPIDX, FILE_GUMPART, gumpId, &size, &extra);
    const bool present = data != nullptr && size > 0;
    if (width != nullptr) *width = present ? static_cast<int32_t>(static_cast<uint32_t>(extra) >> 16) : 0;
    if (height != nullptr) *height = present ? static_cast<int32_t>(extra & 0xFFFF) : 0;
}

void DrawGumpArtImage(CombineFunc combine, const GumpArtImage& image, const ClipRect* clip, int32_t x, int32_t y,
                      uint16_t* surface, int32_t pitch, int32_t surfaceHeight)
{
    ClipRect area;
    if (combine == nullptr || surface == nullptr ||
        !visibleArea(x, y, image.width(), image.height(), pitch, surfaceHeight, clip, area))
        return;
    std::vector<uint16_t> row(static_cast<size_t>(image.width()));
    const bool use565 = kzdata::dataSettings().use565;
    const int32_t count = area.right - area.left;
    for (int32_t sy = area.top; sy < area.bottom; ++sy) {
        image.expandRow(sy - y, row.data());
        const uint16_t* src = row.data() + (area.left - x);
        uint16_t* dest = surface + static_cast<ptrdiff_t>(sy) * pitch + area.left;
        combine(dest, src, count);
        if (use565)
            for (int32_t i = 0; i < count; ++i)
                if (src[i] != 0) dest[i] = Convert555To565(dest[i]);
    }
}

void DrawGumpArt(CombineFunc combine, int32_t gumpId, int32_t x, int32_t y, uint16_t* surface, int32_t pitch,
                 int32_t surfaceHeight)
{
    GumpArtImage image;
    if (loadImage(gumpId, image)) DrawGumpArtImage(combine, image, nullptr, x, y, surface, pitch, surfaceHeight);
}

void DrawGumpArtClipped(CombineFunc combine, int32_t gumpId, const ClipRect& clip, int32_t x, int32_t y,
                        uint16_t* surface, int32_t pitch, int32_t surfaceHeight)
{
    GumpArtImage image;
    if (loadImage(gumpId, image)) DrawGumpArtImage(combine, image, &clip, x, y, surface, pitch, surfaceHeight);
}

namespace {

void blitRows(CombineFunc combine, const uint16_t* image, const ClipRect* clip, int32_t width, int32_t height,
              int32_t x, int32_t y, uint16_t* surface, int32_t pitch, int32_t surfaceHeight)
{
    ClipRect area;
    if (combine == nullptr || image == nullptr || surface == nullptr ||
        !visibleArea(x, y, width, height, pitch, surfaceHeight, clip, area))
        return;
    for (int32_t sy = area.top; sy < area.bottom; ++sy)
        combine(surface + static_cast<ptrdiff_t>(sy) * pitch + area.left,
                image + static_cast<ptrdiff_t>(sy - y) * width + (area.left - x), area.right - area.left);
}

} // namespace

void BlitImageRows(CombineFunc combine, const uint16_t* image, int32_t width, int32_t height, int32_t x, int32_t y,
                   uint16_t* surface, int32_t pitch, int32_t surfaceHeight)
{
    // Callers were meant to pass x, y >= 0; cut on every side instead of writing before the surface.
    blitRows(combine, image, nullptr, width, height, x, y, surface, pitch, surfaceHeight);
}

void BlitImageRowsClipped(CombineFunc combine, const uint16_t* image, const ClipRect& clip, int32_t width,
                          int32_t height, int32_t x, int32_t y, uint16_t* surface, int32_t pitch,
                          int32_t surfaceHeight)
{
    blitRows(combine, image, &clip, width, height, x, y, surface, pitch, surfaceHeight);
}

uint16_t GetGumpArtPixel(int32_t gumpId, int32_t x, int32_t y)
{
    GumpArtImage image;
    if (!loadImage(gumpId, image)) return 0;
    const uint16_t c = image.pixel(x, y);
    return kzdata::dataSettings().use565 && c != 0 ? Convert555To565(c) : c;
}
