/** @file The world side of the map blocks. */
#include "client/world/map_view.h"

#include "client/data/map_manager.h"
#include "client/world/draw_item.h"
#include "client/world/map_cell_source.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/world_draw_services.h"
#include "client/world/world_objects.h"

#include <algorithm>
#include <vector>

namespace {

std::array<int32_t, 36> g_loaded = [] {
    std::array<int32_t, 36> a{};
    a.fill(-1);
    return a;
}();
bool g_underLand = false;
int32_t g_cutHeight = 0;

constexpr int32_t kWindowBlocks = 6;
constexpr int32_t kViewRadius = 18;
int32_t g_landRadius = kViewRadius;
constexpr uint16_t kOutsideLand = 580;

bool inWindow(int32_t blockX, int32_t blockY, int32_t cornerX, int32_t cornerY)
{
    return blockX >= cornerX && blockX < cornerX + kWindowBlocks && blockY >= cornerY &&
           blockY < cornerY + kWindowBlocks;
}

int32_t wrapOnce(int32_t v, int32_t size)
{
    if (v < 0) return v + size;
    if (v >= size) return v - size;
    return v;
}

void loadBlock(int32_t blockX, int32_t blockY)
{
    const int32_t n = blockX * MapManager::BlocksHigh() + blockY;
    for (const StaticsRecord& r : MapManager::ReadStatics(n)) {
        const uint16_t graphic = r.graphic < 0x4000 ? r.graphic : 1;
        CObj* obj = NewStaticObj(graphic);
        if (obj == nullptr) continue;
        const ItemTileEntry& tile = TileData::Item(graphic);
        if ((tile.flags & TILE_LIGHT_SOURCE) != 0) obj->direction = tile.quality;
        obj->hue = r.hue;
        obj->PlaceAt(blockX * 8 + r.x, blockY * 8 + r.y, r.z);
    }
    const auto free = std::find(g_loaded.begin(), g_loaded.end(), -1);
    if (free != g_loaded.end()) *free = n;
}

bool hasLandAt(int32_t x, int32_t y)
{
    for (CDrawItem* item = DrawMapThingie::table[static_cast<size_t>(DrawMapThingie::CellIndex(x, y))];
         item != nullptr; item = item->nextDraw)
        if (item->IsLand() && item->locX == x && item->locY == y) return true;
    return false;
}

/** The land item of a cell; the tile id comes from the wrapped cell, the item stands at (x, y). */
void createLand(LandCellReader& cells, int32_t x, int32_t y, bool wrapped)
{
    int32_t cx = x, cy = y;
    uint16_t id = 0;
    if (wrapped) {
        cx = wrapOnce(x, MapManager::WrapWidth());
        cy = wrapOnce(y, MapManager::WrapHeight());
        id = cells.LandTileId(cx, cy);
    } else if (x < MapManager::WrapWidth() || x >= MapManager::MapWidth() || y < 0 || y >= MapManager::WrapHeight()) {
        id = kOutsideLand;
    } else {
        id = cells.LandTileId(cx, cy);
    }
    const LandShape shape = GetLandShape(cells, cx, cy, id, TileData::Land(id & 0x3FFF).textureId != 0);
    CLandTile* land = nullptr;
    if (shape.sloped) {
        CSlopedLandTile* sloped = NewSlopedLandTile(shape.id, x, y, shape.corners);
        land = sloped;
    } else {
        land = NewLandTile(shape.id, x, y, shape.z);
    }
    if (land != nullptr) land->AddToDrawList();
}

} // namespace

namespace MapView {

std::array<int32_t, 36>& LoadedBlocks()
{
    return g_loaded;
}

bool UnderLand()
{
    return g_underLand;
}

int32_t CutHeight()
{
    return g_cutHeight;
}

void LoadStaticsWindow()
{
    const int32_t cornerX = (MapManager::CenterX - kViewRadius) >> 3;
    const int32_t cornerY = (MapManager::CenterY - kViewRadius) >> 3;
    if (cornerX == MapManager::WindowCornerX && cornerY == MapManager::WindowCornerY) return;

    WorldState& w = World();
    for (CObj* obj = w.world.head; obj != nullptr;) {
        CObj* next = obj->worldLinks.next;
        // Statics only: an object of the server's keeps its place in the object lists also when
        // the server gave it serial 0 (as a login may give the player), and is never released here.
        if (obj->GetSerial() == 0 && dynamic_cast<const CDynamicObj*>(obj) == nullptr && !obj->IsMultiComponent() &&
            !inWindow(obj->locX >> 3, obj->locY >> 3, cornerX, cornerY)) {
            obj->RemoveFromWorld();
            obj->Release();
        }
        obj = next;
    }
    const int32_t blocksHigh = MapManager::BlocksHigh();
    for (int32_t& id : g_loaded)
        if (id >= 0 && !inWindow(id / blocksHigh, id % blocksHigh, cornerX, cornerY)) id = -1;
    for (int32_t by = cornerY; by < cornerY + kWindowBlocks; ++by) {
        for (int32_t bx = cornerX; bx < cornerX + kWindowBlocks; ++bx) {
            if (bx < 0 || by < 0 || bx >= MapManager::BlocksWide() || by >= blocksHigh) continue;
            const int32_t n = bx * blocksHigh + by;
            if (std::find(g_loaded.begin(), g_loaded.end(), n) != g_loaded.end()) continue;
            loadBlock(bx, by);
        }
    }
    MapManager::WindowCornerX = cornerX;
    MapManager::WindowCornerY = cornerY;
}

void Refresh()
{
    DrawMapThingie::Recenter();
    LoadStaticsWindow();
    const bool wrapped = MapManager::CenterX < MapManager::WrapWidth();
    LandCellReader cells;
    const int32_t r = g_landRadius;
    for (int32_t y = MapManager::CenterY - r; y <= MapManager::CenterY + r; ++y)
        for (int32_t x = MapManager::CenterX - r; x <= MapManager::CenterX + r; ++x)
            if (!hasLandAt(x, y)) createLand(cells, x, y, wrapped);

    int32_t c = 0;
    for (CDrawItem* item = DrawMapThingie::table[static_cast<size_t>(
             DrawMapThingie::CellIndex(MapManager::CenterX, MapManager::CenterY))];
         item != nullptr; item = item->nextDraw)
        if (item->IsLand() && item->locX == MapManager::CenterX && item->locY == MapManager::CenterY) c = item->z;
    const int32_t t = MapManager::CenterZ + 16;
    if (t < c) {
        if (!g_underLand || g_cutHeight != t) {
            g_underLand = true;
            g_cutHeight = t;
            worldDraw().RedrawAll();
        }
    } else if (g_underLand) {
        g_underLand = false;
        worldDraw().RedrawAll();
    }
}

void StepView(int32_t dx, int32_t dy, int32_t z)
{
    if (MapManager::CenterX < MapManager::WrapWidth()) {
        int32_t x = MapManager::CenterX + dx, y = MapManager::CenterY + dy;
        int32_t shiftX = 0, shiftY = 0;
        if (x >= MapManager::WrapWidth()) shiftX = -MapManager::WrapWidth();
        if (x < 0) shiftX = MapManager::WrapWidth();
        if (y >= MapManager::WrapHeight()) shiftY = -MapManager::WrapHeight();
        if (y < 0) shiftY = MapManager::WrapHeight();
        MapManager::CenterX = x + shiftX;
        MapManager::CenterY = y + shiftY;
        if (shiftX != 0 || shiftY != 0) {
            worldDraw().RedrawAll();
            // Every listed item moves with the centre and goes back into its (new) cell list.
            std::vector<CDrawItem*> items;
            for (CDrawItem* head : DrawMapThingie::table)
                for (CDrawItem* item = head; item != nullptr; item = item->nextDraw) items.push_back(item);
            for (CDrawItem* item : items) {
                item->RemoveFromDrawList();
                item->locX = static_cast<int16_t>(item->locX + shiftX);
                item->locY = static_cast<int16_t>(item->locY + shiftY);
                item->AddToDrawList();
            }
        }
    } else {
        MapManager::CenterX += dx;
        MapManager::CenterY += dy;
    }
    MapManager::CenterZ = z;
    const CPlayerMobile* player = World().player;
    if (player == nullptr || player->offMap == 0) Refresh();
    worldDraw().ViewCentred(MapManager::CenterX, MapManager::CenterY);
}

void SetCenter(int32_t x, int32_t y, int32_t z)
{
    worldDraw().RedrawAll();
    if (x != -1) {
        MapManager::CenterX = x;
        MapManager::CenterY = y;
        MapManager::CenterZ = z;
    }
    const CPlayerMobile* player = World().player;
    if (x != -1 && (player == nullptr || player->offMap == 0)) Refresh();
    if (x != -1) worldDraw().ViewCentred(MapManager::CenterX, MapManager::CenterY);
}

void ResetBlockWindow()
{
    MapManager::ResetBlockWindow();
    g_loaded.fill(-1);
    DrawMapThingie::PurgeAll();
}

int32_t LandRadius()
{
    return g_landRadius;
}

void SetLandRadius(int32_t cells)
{
    g_landRadius = std::clamp(cells, 0, kViewRadius);
}

} // namespace MapView
