/** @file Rotated sprites, land diamonds and remapped boxes: the pixel loops that draw effect frames turned by an angle, 44 x 44 land tiles and composed figures through a remap table. */
#include "client/render/sprite_blits.h"

#include "client/core/kz_report.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/span_routines.h"
#include "client/render/graphic_manager.h"
#include "client/render/startup_tables.h"

#include <algorithm>
#include <array>
#include <set>

namespace {

/** The clip rectangle cut to the blit target. */
BlitRect clipToTarget(const BlitRect& clip)
{
    const BlitRect target = GetBlitTargetRect();
    return BlitRect{std::max(clip.left, target.left), std::max(clip.top, target.top),
                    std::min(clip.right, target.right), std::min(clip.bottom, target.bottom)};
}

/** The stored pixel at (x, y) when a run covers it, else null (transparent). */
const uint16_t* runPixel(const ArtImage& image, int64_t x, int64_t y)
{
    if (y < 0 || y >= image.height || x < 0 || x >= image.width)
        return nullptr;
    const auto row = static_cast<size_t>(y);
    for (uint32_t i = image.rowStart[row]; i < image.rowStart[row + 1]; ++i) {
        const ArtRun& run = image.runs[i];
        if (x < run.x)
            return nullptr;
        if (x < run.x + run.count)
            return &image.pixels[run.pixel + static_cast<uint32_t>(x - run.x)];
    }
    return nullptr;
}

/** The turned copy shared by both members; wholeImage decides what counts as transparent. */
void blitTurned(RotatedPixel kind, const ArtImage& image, const BlitRect& source, int32_t x, int32_t y, uint8_t angle,
                const BlitRect& clip, int32_t hueIndex, bool wholeImage)
{
    uint16_t* target = GetBlitTarget();
    if (target == nullptr)
        return;
    const BlitRect c = clipToTarget(clip);
    const int64_t boxWidth = static_cast<int64_t>(source.right) - source.left;
    const int64_t boxHeight = static_cast<int64_t>(source.bottom) - source.top;
    const int64_t j0 = std::max<int64_t>(c.left - static_cast<int64_t>(x), 0);
    const int64_t j1 = std::min<int64_t>(c.right - static_cast<int64_t>(x), boxWidth);
    const int64_t i0 = std::max<int64_t>(c.top - static_cast<int64_t>(y), 0);
    const int64_t i1 = std::min<int64_t>(c.bottom - static_cast<int64_t>(y), boxHeight);
    if (j0 >= j1 || i0 >= i1)
        return;

    const uint16_t* ramp = kind == RotatedPixel::HuedBlend || kind == RotatedPixel::HuedGrey ? spanHueRamp(hueIndex) : nullptr;
    if (ramp == nullptr && kind == RotatedPixel::HuedBlend)
        kind = RotatedPixel::Blend;
    if (ramp == nullptr && kind == RotatedPixel::HuedGrey)
        kind = RotatedPixel::Copy;

    const int64_t cosine = CosTable()[angle];
    const int64_t sine = SinTable()[angle];
    const int64_t halfWidth = image.width / 2;
    const int64_t halfHeight = image.height / 2;
    const int64_t pitch = GetBlitPitch();
    // (u, v): the image point of box pixel (j0, i) less the image centre; the source point is
    // (W/2 + (u cos + v sin) >> 16, H/2 - (u sin - v cos) >> 16), stepped by additions.
    const int64_t u0 = source.left + j0 - halfWidth;
    int64_t v = source.top + i0 - halfHeight;
    for (int64_t i = i0; i < i1; ++i, ++v) {
        int64_t turnX = u0 * cosine + v * sine;
        int64_t turnY = u0 * sine - v * cosine;
        uint16_t* out = target + (y + i) * pitch + x;
        for (int64_t j = j0; j < j1; ++j, turnX += cosine, turnY += sine) {
            const int64_t sx = halfWidth + (turnX >> 16);
            const int64_t sy = halfHeight - (turnY >> 16);
            uint16_t s = 0;
            if (wholeImage) {
                const uint16_t* p = runPixel(image, sx, sy);
                if (p == nullptr)
                    continue;
                s = *p;
            } else {
                s = GetArtPixel(&image, static_cast<int32_t>(sx), static_cast<int32_t>(sy));
                if (s == 0)
                    continue;
            }
            uint16_t& d = out[j];
            switch (kind) {
            case RotatedPixel::Copy: d = s; break;
            case RotatedPixel::Blend: d = blendPixel(d, s); break;
            case RotatedPixel::HuedBlend: d = blendPixel(d, ramp[(s >> 5) & 31]); break;
            case RotatedPixel::HuedGrey: d = ramp[GreyLevel(s)]; break;
            }
        }
    }
}

/** Logs a bad land record once per art id. */
void logLandOnce(int32_t artId, const char* why)
{
    static std::set<int32_t> logged;
    if (logged.insert(artId).second)
        KZReport::warning("BlitLandTile: land art %d %s; nothing drawn.\n", artId, why);
}

/** Reads land record artId (record 0 when it is missing) into host-order pixels; false when unusable. */
bool readLandTile(int32_t artId, std::array<uint16_t, kLandTilePixels>& tile)
{
    if (artId < 0 || artId >= 0x4000) {
        logLandOnce(artId, "is out of range");
        return false;
    }
    int32_t size = 0;
    int32_t extra = 0;
    const uint8_t* data = CDHDCache::GetCacheItem(FILE_ARTIDX, FILE_ART, artId, &size, &extra);
    if (data == nullptr || size <= 0)
        data = CDHDCache::GetCacheItem(FILE_ARTIDX, FILE_ART, 0, &size, &extra);
    if (data == nullptr || size <= 0)
        return false;
    // The record is copied at once: the cache may reuse its memory on the next request.
    if (!DecodeLandRecord(data, size, tile)) {
        logLandOnce(artId, "is shorter than a tile");
        return false;
    }
    return true;
}

} // namespace

bool DecodeLandRecord(const uint8_t* data, int32_t size, std::array<uint16_t, kLandTilePixels>& tile)
{
    if (data == nullptr || size < kLandTilePixels * 2)
        return false;
    for (size_t i = 0; i < tile.size(); ++i)
        tile[i] = static_cast<uint16_t>(data[2 * i] | data[2 * i + 1] << 8);
    return true;
}

void BlitRotated(RotatedPixel kind, const ArtImage* image, const BlitRect& clip, int32_t x, int32_t y, uint8_t angle,
                 int32_t hueIndex)
{
    if (image == nullptr)
        return;
    blitTurned(kind, *image, BlitRect{0, 0, image->width, image->height}, x, y, angle, clip, hueIndex, true);
}

void BlitRotatedSource(RotatedPixel kind, const ArtImage* image, const BlitRect& source, int32_t x, int32_t y,
                       uint8_t angle, const BlitRect& clip, int32_t hueIndex)
{
    if (image == nullptr)
        return;
    blitTurned(kind, *image, source, x, y, angle, clip, hueIndex, false);
}

void GetRotatedBounds(uint8_t angle, BlitRect& rect)
{
    const int64_t cx = rect.left + (rect.right - rect.left) / 2;
    const int64_t cy = rect.top + (rect.bottom - rect.top) / 2;
    const int64_t cosine = CosTable()[angle];
    const int64_t sine = SinTable()[angle];
    const int64_t corners[4][2] = {
        {rect.left, rect.top}, {rect.right, rect.top}, {rect.left, rect.bottom}, {rect.right, rect.bottom}};
    BlitRect out{9999, 9999, -9999, -9999};
    for (const auto& corner : corners) {
        const int64_t dx = corner[0] - cx;
        const int64_t dy = corner[1] - cy;
        const auto turnedX = static_cast<int32_t>(cx + ((dx * cosine - dy * sine) >> 16));
        const auto turnedY = static_cast<int32_t>(cy - ((dx * sine + dy * cosine) >> 16));
        out.left = std::min(out.left, turnedX);
        out.top = std::min(out.top, turnedY);
        out.right = std::max(out.right, turnedX);
        out.bottom = std::max(out.bottom, turnedY);
    }
    rect = out;
}

void BlitLandPixels(const uint16_t* tile, int32_t x, int32_t y, const BlitRect& clip, bool grey)
{
    uint16_t* target = GetBlitTarget();
    if (target == nullptr || tile == nullptr)
        return;
    const BlitRect c = clipToTarget(clip);
    const int64_t pitch = GetBlitPitch();
    const auto& rows = DiamondRows();
    for (int32_t r = 0; r < 44; ++r) {
        const int64_t row = static_cast<int64_t>(y) + r;
        if (row < c.top || row >= c.bottom)
            continue;
        const DiamondRow& d = rows[static_cast<size_t>(r)];
        const int64_t from = std::max<int64_t>(static_cast<int64_t>(x) + d.start, c.left);
        const int64_t to = std::min<int64_t>(static_cast<int64_t>(x) + d.end, c.right);
        if (from >= to)
            continue;
        const uint16_t* in = tile + d.source + (from - x - d.start);
        uint16_t* out = target + row * pitch + from;
        const auto count = static_cast<int32_t>(to - from);
        if (grey) {
            for (int32_t i = 0; i < count; ++i)
                out[i] = GraphicManager::GreyColor(in[i]);
        } else {
            CopySpan(out, in, count);
        }
    }
}

void BlitLandTile(int32_t artId, int32_t x, int32_t y, const BlitRect& clip)
{
    std::array<uint16_t, kLandTilePixels> tile{};
    if (readLandTile(artId, tile))
        BlitLandPixels(tile.data(), x, y, clip, false);
}

void BlitLandTileGrey(int32_t artId, int32_t x, int32_t y, const BlitRect& clip)
{
    std::array<uint16_t, kLandTilePixels> tile{};
    if (readLandTile(artId, tile))
        BlitLandPixels(tile.data(), x, y, clip, true);
}

void BlitRemapped(const uint16_t* source, const uint16_t* table, int32_t width, int32_t height, int32_t boxX,
                  int32_t boxY, const BlitRect& clip)
{
    uint16_t* target = GetBlitTarget();
    if (target == nullptr)
        return;
    const BlitRect c = clipToTarget(clip);
    const int32_t left = std::max(c.left, boxX);
    const int32_t right = std::min(c.right, boxX + width);
    const int32_t top = std::max(c.top, boxY);
    const int32_t bottom = std::min(c.bottom, boxY + height);
    const int64_t pitch = GetBlitPitch();
    for (int32_t y = top; y < bottom; ++y) {
        uint16_t* out = target + static_cast<int64_t>(y) * pitch + left;
        const uint16_t* entries = table + static_cast<int64_t>(y - boxY) * width + (left - boxX);
        for (int32_t i = 0; i < right - left; ++i) {
            const uint16_t pixel = source[entries[i]];
            if (pixel != 0)
                out[i] = pixel;
        }
    }
}
