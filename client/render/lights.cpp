/** @file Lights: the light files, the darkness of the time of day, and the monochrome and coloured light passes over a dirty rectangle. */
#include "client/render/lights.h"

#include "client/core/cmmf.h"
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/render/draw_grid.h"
#include "client/render/draw_manager.h"
#include "client/render/startup_tables.h"
#include "client/render/world_drawing.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/world_objects.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdio>
#include <string>

int32_t Lights::globalLevel = 0;
int32_t Lights::personalLevel = 0;

namespace {

constexpr int32_t kLightIds = 100;
constexpr int32_t kTileWidth = 64;
constexpr int32_t kTileHeight = 48;

struct LightFiles {
    std::unique_ptr<CMMF> index;
    std::unique_ptr<CMMF> data;
    const uint8_t* indexBytes = nullptr;
    size_t indexSize = 0;
    const uint8_t* dataBytes = nullptr;
    size_t dataSize = 0;
    std::bitset<kLightIds> damagedLogged; // a light is reported once per set of files
};

LightFiles& files()
{
    static LightFiles f;
    return f;
}

std::unique_ptr<CMMF> mapInstalled(const char* name)
{
    const std::string path = std::string(FileManager::getHDPath()) + name;
    // Checked first: a missing light file leaves the view unlit instead of stopping the start.
    if (FILE* probe = std::fopen(path.c_str(), "rb")) {
        std::fclose(probe);
    } else {
        KZReport::error("thelightthingie::startup: %s is missing; the world is drawn without lights.\n", name);
        return nullptr;
    }
    auto file = std::make_unique<CMMF>(path.c_str());
    if (file->Open() == nullptr) return nullptr;
    return file;
}

const CMobile* player()
{
    return World().player;
}

// Response curves by light value 0..31.
constexpr std::array<uint8_t, 32> kW = {0,  1,  2,  4,  6,  8,  11, 14, 17, 20, 23, 26, 29, 30, 31, 31,
                                        31, 31, 31, 31, 31, 31, 31, 31, 31, 31, 31, 31, 31, 31, 31, 31};
constexpr std::array<uint8_t, 32> kX = {0, 0, 0, 0, 0, 0, 0,  0,  1,  1,  2,  2,  3,  3,  4,  4,
                                        5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 17, 19, 21, 23, 25, 27};
constexpr std::array<uint8_t, 32> kY = {0, 0, 0, 0, 0, 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
                                        1, 2, 3, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28};
constexpr std::array<uint8_t, 32> kZ = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                        0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};

struct ColorRange {
    int32_t first;
    int32_t last;
    int32_t code;
};
constexpr ColorRange kColors[] = {
    {2555, 2580, 30},   {4012, 4012, 30},   {3553, 3562, 31},   {4846, 4941, 31},   {12394, 12955, 31},
    {13371, 13420, 31}, {13639, 13644, 31}, {14732, 14751, 31}, {15911, 15930, 31}, {3629, 3632, 62},
    {3633, 3635, 40},   {6587, 6587, 40},   {7979, 7979, 40},   {3676, 3690, 6},    {14662, 14692, 6},
    {14695, 14714, 6},  {3948, 3948, 2},    {8148, 8148, 2},    {4017, 4017, 60},   {6522, 6569, 60},
    {6571, 6582, 60},   {5703, 5703, 61},   {6217, 6224, 61},   {6227, 6234, 61},   {7885, 7890, 1},
    {14612, 14633, 1},  {15874, 15883, 1},
};

/** How much each channel's darkness drops for light value v in a colour variant. */
void colorDrop(int32_t code, int32_t v, int32_t& r, int32_t& g, int32_t& b)
{
    v = std::clamp(v, 0, 31);
    const auto i = static_cast<size_t>(v);
    switch (code) {
    case 1: r = 0, g = kY[i], b = 0; break;
    case 2: r = v >> 1, g = v >> 1, b = v; break;
    case 6: r = kZ[i], g = 0, b = kY[i]; break;
    case 30: r = kW[i], g = kW[i] >> 1, b = 0; break;
    case 31: r = kY[i], g = kY[i] >> 1, b = 0; break;
    case 40: r = v, g = 0, b = 0; break;
    case 60: r = kY[i], g = kY[i], b = 0; break;
    case 61: r = kX[i], g = kX[i], b = 0; break;
    case 62: r = kX[i], g = kX[i], b = kX[i]; break;
    default: r = g = b = v; break;
    }
}

/** The object a light stands at is covered: the cell down-right of it holds something over it. */
bool covered(const CDrawItem& at)
{
    const auto cell = static_cast<size_t>(DrawMapThingie::CellIndex(at.locX + 1, at.locY + 1));
    for (const CDrawItem* i = DrawMapThingie::table[cell]; i != nullptr; i = i->nextDraw) {
        if (i->z <= at.z + 4 || i->IsMobile() != 0 || i->IsBigMobComponent() != 0 || i->IsHidden() != 0) continue;
        if (i->IsLand() != 0 || (i->GetTileFlags() & 0x4) == 0) return true;
    }
    return false;
}

/** Runs fn(tile rectangle) over the rectangle cut into tiles of 64 x 48 from its top-left corner. */
template <class Fn>
void forTiles(const BlitRect& rect, Fn fn)
{
    for (int32_t top = rect.top; top < rect.bottom; top += kTileHeight)
        for (int32_t left = rect.left; left < rect.right; left += kTileWidth)
            fn(BlitRect{left, top, std::min(left + kTileWidth, rect.right), std::min(top + kTileHeight, rect.bottom)});
}

/** Calls fn(light, placement, sprite) for every source that lights something. */
template <class Fn>
void forLights(bool colored, Fn fn)
{
    for (const CObj* s = World().lights.head; s != nullptr; s = s->lightLinks.next) {
        Lights::Placement p;
        LightSprite sprite;
        if (!Lights::PlaceLight(*s, colored, p) || !thelightthingie::GetLight(p.id, sprite)) continue;
        if (p.standsAt->inList == 0 || p.standsAt->IsHidden() != 0 || covered(*p.standsAt)) continue;
        fn(*s, p, sprite);
    }
}

struct Overlap {
    int32_t left, top, right, bottom;
};

bool overlap(const BlitRect& tile, const BlitRect& box, Overlap& o)
{
    o = {std::max(tile.left, box.left), std::max(tile.top, box.top), std::min(tile.right, box.right),
         std::min(tile.bottom, box.bottom)};
    return o.left < o.right && o.top < o.bottom;
}

uint16_t shade3(uint16_t pixel, int32_t dr, int32_t dg, int32_t db)
{
    const auto& shade = GetLightTables().shade;
    return static_cast<uint16_t>(shade[static_cast<size_t>(dr * 32 + ((pixel >> 10) & 31))] << 10 |
                                 shade[static_cast<size_t>(dg * 32 + ((pixel >> 5) & 31))] << 5 |
                                 shade[static_cast<size_t>(db * 32 + (pixel & 31))]);
}

} // namespace

void thelightthingie::startup()
{
    KZReport::message("thelightthingie::startup:\n");
    LightFiles& f = files();
    f.index = mapInstalled("lightidx.mul");
    f.data = f.index ? mapInstalled("light.mul") : nullptr;
    if (f.index && f.data) {
        UseFiles(f.index->GetView(), f.index->GetSize(), f.data->GetView(), f.data->GetSize());
    } else {
        UseFiles(nullptr, 0, nullptr, 0);
    }
}

void thelightthingie::shutdown()
{
    KZReport::message("thelightthingie::shutdown:\n");
    LightFiles& f = files();
    UseFiles(nullptr, 0, nullptr, 0);
    f.data.reset();
    f.index.reset();
}

void thelightthingie::UseFiles(const uint8_t* index, size_t indexSize, const uint8_t* data, size_t dataSize)
{
    LightFiles& f = files();
    f.indexBytes = index;
    f.indexSize = index != nullptr ? indexSize : 0;
    f.dataBytes = data;
    f.dataSize = data != nullptr ? dataSize : 0;
    f.damagedLogged.reset();
}

bool thelightthingie::GetLight(int32_t id, LightSprite& out)
{
    LightFiles& f = files();
    if (id < 0 || id >= kLightIds || static_cast<size_t>(id + 1) * 12 > f.indexSize) return false;
    const uint8_t* e = f.indexBytes + static_cast<size_t>(id) * 12;
    const uint32_t offset = static_cast<uint32_t>(e[0] | e[1] << 8 | e[2] << 16) | static_cast<uint32_t>(e[3]) << 24;
    const uint32_t length = static_cast<uint32_t>(e[4] | e[5] << 8 | e[6] << 16) | static_cast<uint32_t>(e[7]) << 24;
    const int32_t width = e[8] | e[9] << 8;
    const int32_t height = e[10] | e[11] << 8;
    if (offset == 0xFFFFFFFF || length == 0 || width == 0 || height == 0) return false;
    const uint64_t needed = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (length < needed || static_cast<uint64_t>(offset) + needed > f.dataSize) {
        if (!f.damagedLogged.test(static_cast<size_t>(id))) {
            f.damagedLogged.set(static_cast<size_t>(id));
            KZReport::error("thelightthingie: light %d reaches past light.mul or is shorter than %d x %d; not drawn.\n", id,
                            width, height);
        }
        return false;
    }
    out = {reinterpret_cast<const int8_t*>(f.dataBytes + offset), width, height};
    return true;
}

namespace Lights {

int32_t AmbientLevel()
{
    const CMobile* p = player();
    if (p != nullptr && p->IsGhost() != 0) return 0;
    const int32_t l = globalLevel;
    const int32_t d = l - personalLevel;
    if (DarkNights != 0 && l != 0 && l > 12 && d * (d >> 1) > 16) return 24;
    return std::clamp(d, 0, 31);
}

int32_t LightColor(int32_t graphic)
{
    for (const ColorRange& c : kColors)
        if (graphic >= c.first && graphic <= c.last) return c.code;
    return 0;
}

bool PlaceLight(const CObj& source, bool colored, Placement& out)
{
    const CDrawItem* at = &source;
    int32_t id = source.direction;
    if (source.IsPurgeable() != 0 && source.parent != nullptr) {
        at = source.parent;
        id = TileData::Item(source.graphic).lightId;
    }
    if (colored && ((source.graphic >= 15874 && source.graphic <= 15883) || (source.graphic >= 14612 && source.graphic <= 14633)))
        id = 2;
    if (id > 99) return false;
    int32_t x = 0;
    int32_t y = 0;
    if (at->IsMobile() != 0) {
        WorldDrawing::GetSpriteAnchor(static_cast<const CMobile&>(*at), x, y);
    } else {
        x = WorldDrawing::ColumnKey(at->locX, at->locY) * 22;
        y = WorldDrawing::RowKey(at->locX, at->locY) * 22 - at->z * 4 + 43;
    }
    x -= DrawGrid::scrollX;
    y -= DrawGrid::scrollY;
    LightSprite sprite;
    if (!thelightthingie::GetLight(id, sprite)) return false;
    out.standsAt = at;
    out.id = id;
    out.width = sprite.width;
    out.height = sprite.height;
    out.box.left = x - sprite.width / 2;
    out.box.top = y - sprite.height / 2 - 22;
    out.box.right = out.box.left + sprite.width;
    out.box.bottom = out.box.top + sprite.height;
    return true;
}

void DrawLightsMono(const BlitRect& rect)
{
    uint16_t* target = GetBlitTarget();
    if (target == nullptr) return;
    const int32_t pitch = GetBlitPitch();
    const int32_t ambient = AmbientLevel();
    std::array<uint8_t, kTileWidth * kTileHeight> dark{};
    forTiles(rect, [&](const BlitRect& tile) {
        const int32_t w = tile.right - tile.left;
        const int32_t h = tile.bottom - tile.top;
        std::fill(dark.begin(), dark.begin() + w * h, static_cast<uint8_t>(ambient));
        forLights(false, [&](const CObj&, const Placement& p, const LightSprite& sprite) {
            Overlap o{};
            if (!overlap(tile, p.box, o)) return;
            for (int32_t y = o.top; y < o.bottom; ++y) {
                const int8_t* src = sprite.values + (y - p.box.top) * sprite.width - p.box.left;
                uint8_t* d = dark.data() + (y - tile.top) * w - tile.left;
                for (int32_t x = o.left; x < o.right; ++x) d[x] = static_cast<uint8_t>(std::clamp(d[x] - src[x], 0, 31));
            }
        });
        const auto& shade = GetLightTables().shade;
        for (int32_t y = 0; y < h; ++y) {
            uint16_t* row = target + static_cast<ptrdiff_t>(tile.top + y) * pitch + tile.left;
            const uint8_t* d = dark.data() + y * w;
            for (int32_t x = 0; x < w; ++x) {
                const size_t level = static_cast<size_t>(d[x]) * 32;
                const uint16_t p = row[x];
                row[x] = static_cast<uint16_t>(shade[level + ((p >> 10) & 31)] << 10 | shade[level + ((p >> 5) & 31)] << 5 |
                                               shade[level + (p & 31)]);
            }
        }
    });
}

void DrawLightsColored(const BlitRect& rect)
{
    uint16_t* target = GetBlitTarget();
    if (target == nullptr) return;
    const int32_t pitch = GetBlitPitch();
    const int32_t ambient = AmbientLevel();
    std::array<uint8_t, kTileWidth * kTileHeight * 3> dark{};
    forTiles(rect, [&](const BlitRect& tile) {
        const int32_t w = tile.right - tile.left;
        const int32_t h = tile.bottom - tile.top;
        std::fill(dark.begin(), dark.begin() + w * h * 3, static_cast<uint8_t>(ambient));
        forLights(true, [&](const CObj& source, const Placement& p, const LightSprite& sprite) {
            Overlap o{};
            if (!overlap(tile, p.box, o)) return;
            const int32_t code = LightColor(source.graphic);
            for (int32_t y = o.top; y < o.bottom; ++y) {
                const int8_t* src = sprite.values + (y - p.box.top) * sprite.width - p.box.left;
                uint8_t* d = dark.data() + ((y - tile.top) * w - tile.left) * 3;
                for (int32_t x = o.left; x < o.right; ++x) {
                    int32_t r = 0, g = 0, b = 0;
                    colorDrop(code, src[x], r, g, b);
                    uint8_t* px = d + x * 3;
                    px[0] = static_cast<uint8_t>(std::max(px[0] - r, 0));
                    px[1] = static_cast<uint8_t>(std::max(px[1] - g, 0));
                    px[2] = static_cast<uint8_t>(std::max(px[2] - b, 0));
                }
            }
        });
        for (int32_t y = 0; y < h; ++y) {
            uint16_t* row = target + static_cast<ptrdiff_t>(tile.top + y) * pitch + tile.left;
            const uint8_t* d = dark.data() + y * w * 3;
            for (int32_t x = 0; x < w; ++x) row[x] = shade3(row[x], d[3 * x], d[3 * x + 1], d[3 * x + 2]);
        }
    });
}

void DrawLights(const BlitRect& rect)
{
    if (AmbientLevel() == 0 && World().lights.head == nullptr) return; // nothing would change
    if (ColoredLighting != 0)
        DrawLightsColored(rect);
    else
        DrawLightsMono(rect);
}

void InvalidateLightArea(const CObj& object)
{
    Placement p;
    if (!PlaceLight(object, ColoredLighting != 0, p)) return;
    DrawManager::DirtyRect(&p.box);
}

void InvalidateMobileLights(const CMobile& mobile)
{
    if (mobile.inList == 0) return;
    for (size_t i = 0; i < 26; ++i) {
        const CObj* item = mobile.layers[i];
        if (item != nullptr && IsLightSourceGraphic(item->graphic, item->GetTileFlags())) InvalidateLightArea(*item);
    }
}

} // namespace Lights
