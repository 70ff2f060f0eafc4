/** @file The see-through circle: scenery in front of the player fades toward what lies behind it inside a circle around the player. */
#include "client/render/see_through_circle.h"

#include "client/render/draw_grid.h"
#include "client/render/graphic_manager.h"

#include "client/world/draw_item.h"
#include "client/world/world_objects.h"

#include <algorithm>

namespace {

struct Circle {
    int32_t radius = 64;
    int32_t radiusSquared = 64 * 64;
    int32_t shift = 12;
    int32_t centerX = 320;
    int32_t centerY = 240;
    BlitRect rect;
};

Circle g_circle;

uint16_t mixChannels(uint16_t a, uint16_t b, int32_t d2, int32_t r2, int32_t shift)
{
    uint16_t out = 0;
    for (int32_t bit = 0; bit <= 10; bit += 5) {
        const int32_t ca = (a >> bit) & 31;
        const int32_t cb = (b >> bit) & 31;
        const int32_t sum = d2 * ca + (r2 - d2) * cb;
        const int32_t c = shift != 0 ? sum >> shift : sum / r2;
        out = static_cast<uint16_t>(out | (c << bit));
    }
    return out;
}

} // namespace

void SeeThroughCircle::startup()
{
    g_circle = Circle{};
    g_circle.centerX = GraphicManager::GetPlayHalfWidth();
    g_circle.centerY = GraphicManager::GetPlayHalfHeight();
    SetRadius(64);
}

void SeeThroughCircle::SetRadius(int32_t r)
{
    g_circle.radius = std::clamp(r, 2, 256);
    Recompute();
}

void SeeThroughCircle::SetCenter(int32_t x, int32_t y)
{
    g_circle.centerX = std::clamp(x, 0, std::max(0, GraphicManager::GetPlayWidth() - 1));
    g_circle.centerY = std::clamp(y, 0, std::max(0, GraphicManager::GetPlayHeight() - 1));
    Recompute();
}

void SeeThroughCircle::Recompute()
{
    Circle& c = g_circle;
    c.radiusSquared = c.radius * c.radius;
    c.shift = 0;
    // r squared is a power of two only for the radii that are powers of two.
    if ((c.radiusSquared & (c.radiusSquared - 1)) == 0)
        while ((1 << c.shift) < c.radiusSquared) ++c.shift;
    c.rect = {c.centerX - c.radius - 1, c.centerY - c.radius - 1, c.centerX + c.radius + 1, c.centerY + c.radius + 1};
}

int SeeThroughCircle::Occludes(const CDrawItem& item)
{
    if (item.IsPurgeable() != 0 || item.IsObject() == 0) return 0;
    const auto& object = static_cast<const CObj&>(item);
    const int32_t graphic = object.TileId();
    if (graphic >= 6038 && graphic <= 6066) return 0;
    const CDrawItem* player = GetRangePlayer();
    if (player == nullptr) return 0;
    if (player->z + 5 >= object.z + object.GetHeight()) return 0;
    const BlitRect& c = g_circle.rect;
    const int32_t left = item.rect.left - DrawGrid::scrollX;
    const int32_t right = item.rect.right - DrawGrid::scrollX;
    const int32_t top = item.rect.top - DrawGrid::scrollY;
    const int32_t bottom = item.rect.bottom - DrawGrid::scrollY;
    return left < c.right && c.left < right && top < c.bottom && c.top < bottom ? 1 : 0;
}

uint16_t SeeThroughCircle::Mix(uint16_t item, uint16_t background, int32_t d2)
{
    return mixChannels(item, background, d2, g_circle.radiusSquared, g_circle.shift);
}

void SeeThroughCircle::BlitArt(SpanRoutine span, const ArtImage* image, const BlitRect& clip, int32_t x, int32_t y)
{
    if (span == nullptr) return;
    const Circle c = g_circle;
    BlitArtClippedPieces(image, clip, x, y,
                         [span, &c](uint16_t* destination, const uint16_t* source, int32_t count, int32_t px, int32_t py) {
                             const int32_t dy2 = (py - c.centerY) * (py - c.centerY);
                             if (dy2 > c.radiusSquared) {
                                 span(destination, source, count);
                                 return;
                             }
                             for (int32_t i = 0; i < count; ++i) {
                                 const int32_t dx = px + i - c.centerX;
                                 const int32_t d2 = dy2 + dx * dx;
                                 if (d2 > c.radiusSquared) {
                                     span(destination + i, source + i, 1);
                                     continue;
                                 }
                                 uint16_t top = source[i];
                                 if (span != CopySpan) {
                                     // Hue, translucency and blending apply as they would outside.
                                     top = destination[i];
                                     span(&top, source + i, 1);
                                 }
                                 destination[i] = mixChannels(top, destination[i], d2, c.radiusSquared, c.shift);
                             }
                         });
}

int32_t SeeThroughCircle::Radius() { return g_circle.radius; }
int32_t SeeThroughCircle::RadiusSquared() { return g_circle.radiusSquared; }
int32_t SeeThroughCircle::Shift() { return g_circle.shift; }
int32_t SeeThroughCircle::CenterX() { return g_circle.centerX; }
int32_t SeeThroughCircle::CenterY() { return g_circle.centerY; }
BlitRect SeeThroughCircle::Rect() { return g_circle.rect; }
