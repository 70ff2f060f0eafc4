/** @file The run-encoded art blits: clip once per run, then one span routine call per visible piece. */
#include "client/data/art_blit.h"

#include <algorithm>

namespace {

struct BlitTarget {
    uint16_t* buffer = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
};

BlitTarget g_target;

} // namespace

uint16_t* SetBlitTarget(uint16_t* buffer, int32_t pitch, int32_t width, int32_t height)
{
    g_target.buffer = buffer;
    g_target.pitch = pitch;
    // A width beyond the pitch would make rows overlap; a missing buffer has no drawable area.
    g_target.width = buffer != nullptr ? std::clamp(width, 0, std::max(pitch, 0)) : 0;
    g_target.height = buffer != nullptr ? std::max(height, 0) : 0;
    return buffer;
}

uint16_t* GetBlitTarget() { return g_target.buffer; }
int32_t GetBlitPitch() { return g_target.pitch; }
BlitRect GetBlitTargetRect() { return BlitRect{0, 0, g_target.width, g_target.height}; }

void BlitArt(SpanRoutine span, const ArtImage* image, int32_t x, int32_t y)
{
    BlitArtClipped(span, image, GetBlitTargetRect(), x, y);
}

namespace {

/** The clipped run walk shared by both blits: visit(destination, source, count, x, y) per visible piece. */
template <class Visit>
void walkPieces(const ArtImage* image, const BlitRect& clip, int32_t x, int32_t y, Visit&& visit)
{
    if (image == nullptr || g_target.buffer == nullptr) return;
    const int64_t left = std::max(clip.left, 0);
    const int64_t top = std::max(clip.top, 0);
    const int64_t right = std::min(clip.right, g_target.width);
    const int64_t bottom = std::min(clip.bottom, g_target.height);
    // Image columns and rows inside the clip; 64-bit so that far-off positions cannot overflow.
    const int64_t c0 = std::max<int64_t>(left - x, 0);
    const int64_t c1 = std::min<int64_t>(right - x, image->width);
    const int64_t r0 = std::max<int64_t>(top - y, 0);
    const int64_t r1 = std::min<int64_t>(bottom - y, image->height);
    if (c0 >= c1 || r0 >= r1) return;

    const uint16_t* pixels = image->pixels.data();
    for (int64_t row = r0; row < r1; ++row) {
        uint16_t* line = g_target.buffer + (y + row) * static_cast<int64_t>(g_target.pitch);
        const uint32_t end = image->rowStart[static_cast<size_t>(row) + 1];
        for (uint32_t i = image->rowStart[static_cast<size_t>(row)]; i < end; ++i) {
            const ArtRun& run = image->runs[i];
            const int64_t from = std::max<int64_t>(run.x, c0);
            const int64_t to = std::min<int64_t>(run.x + run.count, c1);
            if (from >= to) {
                if (run.x >= c1) break;  // runs only move right
                continue;
            }
            visit(line + (x + from), pixels + run.pixel + (from - run.x), static_cast<int32_t>(to - from),
                  static_cast<int32_t>(x + from), static_cast<int32_t>(y + row));
        }
    }
}

} // namespace

void BlitArtClipped(SpanRoutine span, const ArtImage* image, const BlitRect& clip, int32_t x, int32_t y)
{
    if (span == nullptr) return;
    walkPieces(image, clip, x, y,
               [span](uint16_t* destination, const uint16_t* source, int32_t count, int32_t, int32_t) {
                   span(destination, source, count);
               });
}

void BlitArtClippedPieces(const ArtImage* image, const BlitRect& clip, int32_t x, int32_t y, const ArtPieceVisitor& visit)
{
    if (!visit) return;
    walkPieces(image, clip, x, y, visit);
}
