/** @file Textured land triangles: a square texture stretched over three screen corners with a light level at each. */
#include "client/render/textured_triangles.h"

#include "client/core/kz_report.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/render/graphic_manager.h"
#include "client/render/startup_tables.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <vector>

namespace {

constexpr int32_t kFraction = 12;

/** One edge stepped row by row in fixed point: x, u, v and light. */
struct Edge {
    int64_t x = 0, u = 0, v = 0, light = 0;
    int64_t dx = 0, du = 0, dv = 0, dlight = 0;

    Edge(const TexVertex& from, const TexVertex& to, int32_t max)
    {
        const int32_t rows = to.y - from.y;
        x = int64_t{from.x} << kFraction;
        u = int64_t{uOf(from, max)} << kFraction;
        v = int64_t{vOf(from, max)} << kFraction;
        light = int64_t{from.light} << kFraction;
        if (rows > 0) {
            dx = ((int64_t{to.x} - from.x) << kFraction) / rows;
            du = ((int64_t{uOf(to, max)} - uOf(from, max)) << kFraction) / rows;
            dv = ((int64_t{vOf(to, max)} - vOf(from, max)) << kFraction) / rows;
            dlight = ((int64_t{to.light} - from.light) << kFraction) / rows;
        }
    }
    void step(int32_t rows)
    {
        x += dx * rows;
        u += du * rows;
        v += dv * rows;
        light += dlight * rows;
    }
    static int32_t uOf(const TexVertex& p, int32_t max) { return p.corner == 2 || p.corner == 3 ? max : 0; }
    static int32_t vOf(const TexVertex& p, int32_t max) { return p.corner == 3 || p.corner == 4 ? max : 0; }
};

uint16_t shadeTexel(uint16_t texel, int32_t level)
{
    const auto& shade = GetLightTables().shade;
    const auto row = static_cast<size_t>(std::clamp(level, 0, 31) * 32);
    const uint16_t r = shade[row + ((texel >> 10) & 31)];
    const uint16_t g = shade[row + ((texel >> 5) & 31)];
    const uint16_t b = shade[row + (texel & 31)];
    return static_cast<uint16_t>(r << 10 | g << 5 | b);
}

void span(const uint16_t* texture, int32_t sizeFlag, bool grey, int32_t y, const Edge& left, const Edge& right,
          const BlitRect& clip, uint16_t* target, int32_t pitch)
{
    const auto xl = static_cast<int32_t>(left.x >> kFraction);
    const auto xr = static_cast<int32_t>(right.x >> kFraction);
    if (xr <= xl) return;
    const int32_t length = xr - xl;
    const int64_t perPixel = (int64_t{1} << kFraction) / (length + 1);
    const int64_t du = ((right.u - left.u) * perPixel) >> kFraction;
    const int64_t dv = ((right.v - left.v) * perPixel) >> kFraction;
    const int64_t dl = ((right.light - left.light) * perPixel) >> kFraction;
    const int32_t rowLength = 1 << (sizeFlag + 6);
    const int32_t max = rowLength - 1;
    int64_t u = left.u;
    int64_t v = left.v;
    int64_t l = left.light;
    const int32_t from = std::max(xl, clip.left);
    const int32_t to = std::min(xr, clip.right);
    if (from > xl) {
        const int32_t skip = from - xl;
        u += du * skip;
        v += dv * skip;
        l += dl * skip;
    }
    uint16_t* row = target + static_cast<ptrdiff_t>(y) * pitch;
    for (int32_t x = from; x < to; ++x) {
        const int32_t tu = std::clamp(static_cast<int32_t>(u >> kFraction), 0, max);
        const int32_t tv = std::clamp(static_cast<int32_t>(v >> kFraction), 0, max);
        uint16_t texel = texture[tv * rowLength + tu];
        if (grey) texel = GraphicManager::GreyColor(texel);
        row[x] = shadeTexel(texel & 0x7FFF, static_cast<int32_t>(l >> kFraction));
        u += du;
        v += dv;
        l += dl;
    }
}

void drawTriangle(const uint16_t* texture, int32_t sizeFlag, bool grey, TexVertex a, TexVertex b, TexVertex c,
                  const BlitRect& clipIn)
{
    uint16_t* target = GetBlitTarget();
    if (texture == nullptr || target == nullptr || (sizeFlag != 0 && sizeFlag != 1)) return;
    const BlitRect surface = GetBlitTargetRect();
    const BlitRect clip{std::max(clipIn.left, surface.left), std::max(clipIn.top, surface.top),
                        std::min(clipIn.right, surface.right), std::min(clipIn.bottom, surface.bottom)};
    if (clip.left >= clip.right || clip.top >= clip.bottom) return;
    if (b.y < a.y) std::swap(a, b);
    if (c.y < a.y) std::swap(a, c);
    if (c.y < b.y) std::swap(b, c);
    if (c.y == a.y) return;
    const int32_t max = (1 << (sizeFlag + 6)) - 1;
    const int32_t pitch = GetBlitPitch();
    Edge longEdge(a, c, max);
    // Which side the long edge lies on is fixed for the whole triangle: compare it with the middle corner.
    const int64_t longXAtMiddle = (int64_t{a.x} << kFraction) + longEdge.dx * (b.y - a.y);
    const bool longIsLeft = longXAtMiddle <= (int64_t{b.x} << kFraction);
    auto part = [&](Edge shortEdge, int32_t top, int32_t bottom) {
        for (int32_t y = top; y < bottom; ++y) {
            if (y >= clip.top && y < clip.bottom) {
                if (longIsLeft)
                    span(texture, sizeFlag, grey, y, longEdge, shortEdge, clip, target, pitch);
                else
                    span(texture, sizeFlag, grey, y, shortEdge, longEdge, clip, target, pitch);
            }
            longEdge.step(1);
            shortEdge.step(1);
        }
    };
    part(Edge(a, b, max), a.y, b.y);
    part(Edge(b, c, max), b.y, c.y);
}

struct KeptTexture {
    std::vector<uint16_t> texels;
    int32_t sizeFlag = -1;
};

std::unordered_map<int32_t, KeptTexture>& textures()
{
    static std::unordered_map<int32_t, KeptTexture> kept;
    return kept;
}

} // namespace

void DrawTexturedTriangle(const uint16_t* texture, int32_t sizeFlag, const TexVertex& a, const TexVertex& b,
                          const TexVertex& c, const BlitRect& clip)
{
    drawTriangle(texture, sizeFlag, false, a, b, c, clip);
}

void DrawTexturedTriangleGrey(const uint16_t* texture, int32_t sizeFlag, const TexVertex& a, const TexVertex& b,
                              const TexVertex& c, const BlitRect& clip)
{
    drawTriangle(texture, sizeFlag, true, a, b, c, clip);
}

const uint16_t* GetLandTexture(int32_t textureId, int32_t& sizeFlag)
{
    sizeFlag = 0;
    if (textureId < 1 || textureId > 4095) return nullptr;
    auto& kept = textures();
    auto found = kept.find(textureId);
    if (found == kept.end()) {
        KeptTexture t;
        int32_t size = 0;
        int32_t extra = 0;
        const uint8_t* data = CDHDCache::GetCacheItem(FILE_TEXIDX, FILE_TEXMAPS, textureId, &size, &extra);
        if (data != nullptr && (size == 64 * 64 * 2 || size == 128 * 128 * 2)) {
            t.sizeFlag = size == 64 * 64 * 2 ? 0 : 1;
            t.texels.resize(static_cast<size_t>(size) / 2);
            for (size_t i = 0; i < t.texels.size(); ++i)
                t.texels[i] = static_cast<uint16_t>(data[2 * i] | data[2 * i + 1] << 8);
        } else if (data != nullptr && size > 0) {
            KZReport::error("GetLandTexture: texture %d has %d bytes, neither 64 x 64 nor 128 x 128; not drawn.\n",
                            textureId, size);
        }
        found = kept.emplace(textureId, std::move(t)).first;
    }
    if (found->second.sizeFlag < 0) return nullptr;
    sizeFlag = found->second.sizeFlag;
    return found->second.texels.data();
}

void ClearLandTextureCache()
{
    textures().clear();
}
